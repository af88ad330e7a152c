#include "PostalList.h"

#include "ListParser.h"

#include "platform/FileReader.h"

#include <algorithm>
#include <new>

namespace postal {

namespace {

// Feeds what the file reader brings to the parser, and stops the reading at
// the first problem.
class ParsingReceiver : public platform::BlockReceiver
{
public:
    explicit ParsingReceiver(ListParser& parser) : parser_(parser) {}

    void expectSize(std::uint64_t size) override { expected_ = size; }
    std::span<char> room(std::size_t size) override
    {
        // Room for the whole file once its first block has passed: a file
        // that is plainly no list is refused before that is taken.
        if (expected_ && parser_.size() > 0) {
            parser_.reserve(static_cast<std::size_t>(*expected_) + 1);
            expected_.reset();
        }
        return parser_.room(size);
    }
    bool received(std::size_t count) override { return parser_.added(count); }

private:
    ListParser& parser_;
    std::optional<std::uint64_t> expected_;
};

} // namespace

PostalList::PostalList() = default;
PostalList::~PostalList() = default;

LoadResult PostalList::parse(std::string_view bytes)
{
    try {
        ListParser parser;
        parser.reserve(bytes.size());
        parser.append(bytes);
        return parser.finish();
    } catch (const std::bad_alloc&) {
        return LoadResult{nullptr, LoadError{LoadError::Kind::OutOfMemory}};
    }
}

LoadResult PostalList::load(const std::filesystem::path& path)
{
    try {
        ListParser parser;
        ParsingReceiver receiver(parser);
        if (auto e = platform::readFile(path, kMaxListBytes, receiver)) {
            LoadError error;
            error.sysError = e->sysError;
            error.notAFile = e->what;
            switch (e->kind) {
            case platform::ReadError::Kind::CannotOpen: error.kind = LoadError::Kind::CannotOpen; break;
            case platform::ReadError::Kind::NotAFile: error.kind = LoadError::Kind::NotAFile; break;
            case platform::ReadError::Kind::ReadFailed: error.kind = LoadError::Kind::ReadFailed; break;
            case platform::ReadError::Kind::TooLarge: error.kind = LoadError::Kind::TooLarge; break;
            case platform::ReadError::Kind::Changed: error.kind = LoadError::Kind::Changed; break;
            }
            return LoadResult{nullptr, error};
        }
        return parser.finish();
    } catch (const std::bad_alloc&) {
        return LoadResult{nullptr, LoadError{LoadError::Kind::OutOfMemory}};
    }
}

std::string_view PostalList::rawLine(std::size_t row) const
{
    const Row& r = rows_[row];
    return std::string_view(bytes_.get() + r.start, r.length);
}

std::string_view PostalList::span(std::size_t first, std::size_t last) const
{
    if (first >= last)
        return {};
    const Row& a = rows_[first];
    const Row& b = rows_[last - 1];
    return std::string_view(bytes_.get() + a.start, b.start + b.length + b.endLength - a.start);
}

std::string_view PostalList::field(std::size_t row, int fieldNumber) const
{
    // Rows were checked at load, so this walk needs no error handling.
    const std::string_view line = rawLine(row);
    std::size_t pos = 0;
    for (int f = 1;; ++f) {
        std::size_t contentStart = pos;
        std::size_t contentEnd;
        if (pos < line.size() && line[pos] == '"') {
            contentStart = pos + 1;
            contentEnd = line.find('"', contentStart);
            pos = contentEnd + 1;
        } else {
            contentEnd = std::min(line.find(',', pos), line.size());
            pos = contentEnd;
        }
        if (f == fieldNumber)
            return line.substr(contentStart, contentEnd - contentStart);
        if (pos >= line.size())
            return {};
        ++pos;  // the comma
    }
}

} // namespace postal
