#include "ListFile.h"

#include "ListParser.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace postal {

namespace {

// Room for the whole list at once: the archive hands it over in one block,
// inflated straight into the parser's buffer.
class ParsingZipReceiver : public platform::BlockReceiver
{
public:
    explicit ParsingZipReceiver(ListParser& parser) : parser_(parser) {}
    void expectSize(std::uint64_t size) override { parser_.reserve(static_cast<std::size_t>(size) + 1); }
    std::span<char> room(std::size_t size) override { return parser_.room(size); }
    bool received(std::size_t count) override { return parser_.added(count); }

private:
    ListParser& parser_;
};

// A first line is this short (either list's is some hundred bytes), or the
// file is no list of either layout.
constexpr std::size_t kDecidedWithin = std::size_t(64) << 10;

// Judges the file by its first line: the nationwide list goes on to
// the parser as loadListFile's does, the business list into a buffer of its
// own; a file of neither layout is read no further.
class AnyLayoutReceiver : public platform::BlockReceiver
{
public:
    AnyLayoutReceiver(ListParser& parser, bool archive) : parser_(parser), archive_(archive) {}

    void expectSize(std::uint64_t size) override
    {
        expected_ = size;
        if (archive_)
            parser_.reserve(static_cast<std::size_t>(size) + 1);
    }
    std::span<char> room(std::size_t size) override
    {
        if (layout_ == Layout::Business)
            return business_->room(size);
        // As the nationwide reader: room for the whole file once its first block has passed.
        if (expected_ && parser_.size() > 0) {
            parser_.reserve(static_cast<std::size_t>(*expected_) + 1);
            expected_.reset();
        }
        const std::span<char> room = parser_.room(size);
        start_ = room.data() - parser_.size();
        return room;
    }
    bool received(std::size_t count) override
    {
        // A pipe may bring less than the first line: until its end has come,
        // the bytes go to the parser, which keeps them.
        if (!decided_) {
            const std::string_view sofar(start_, parser_.size() + count);
            if (sofar.find_first_of("\r\n") != std::string_view::npos || sofar.size() >= kDecidedWithin) {
                decided_ = true;
                layout_ = layoutOf(sofar, fields_);
                if (layout_ == Layout::Neither)
                    return false;
                if (layout_ == Layout::Business) {
                    business_ = std::make_shared<BusinessList>();
                    // Room for the whole file, and a byte to see its end.
                    business_->room(std::max<std::size_t>(sofar.size(), static_cast<std::size_t>(expected_.value_or(0))) + 1);
                    std::memcpy(business_->bytes.get(), sofar.data(), sofar.size());
                    business_->size = sofar.size();
                    return true;
                }
            }
        }
        if (layout_ == Layout::Business) {
            business_->size += count;
            return business_->size <= kMaxListBytes;
        }
        return parser_.added(count);
    }

    Layout layout() const { return layout_; }
    int fields() const { return fields_; }
    std::shared_ptr<BusinessList>& business() { return business_; }

private:
    ListParser& parser_;
    const bool archive_;
    std::optional<std::uint64_t> expected_;
    const char* start_ = nullptr;  // the parser's bytes
    bool decided_ = false;
    Layout layout_ = Layout::Nationwide;
    int fields_ = 0;
    std::shared_ptr<BusinessList> business_;
};

LoadError readError(const platform::ReadError& e)
{
    LoadError error;
    error.sysError = e.sysError;
    error.notAFile = e.what;
    switch (e.kind) {
    case platform::ReadError::Kind::CannotOpen: error.kind = LoadError::Kind::CannotOpen; break;
    case platform::ReadError::Kind::NotAFile: error.kind = LoadError::Kind::NotAFile; break;
    case platform::ReadError::Kind::ReadFailed: error.kind = LoadError::Kind::ReadFailed; break;
    case platform::ReadError::Kind::TooLarge: error.kind = LoadError::Kind::TooLarge; break;
    case platform::ReadError::Kind::Changed: error.kind = LoadError::Kind::Changed; break;
    }
    return error;
}

} // namespace

std::string ListFileLoad::problem() const
{
    if (zipError)
        return zipError->message();
    return error ? error->message() : std::string();
}

ListFileLoad loadListFile(const platform::FoundFile& found)
{
    ListFileLoad result;
    result.file = found.path;
    if (!found.archive && !platform::looksLikeZip(found.path)) {
        LoadResult loaded = PostalList::load(found.path);
        result.list = std::move(loaded.list);
        result.error = loaded.error;
        return result;
    }
    try {
        ListParser parser;
        ParsingZipReceiver receiver(parser);
        if (auto zipError = platform::readListFromZip(found.path, receiver, result.entry)) {
            result.zipError = std::move(zipError);
            return result;
        }
        LoadResult loaded = parser.finish();
        result.list = std::move(loaded.list);
        result.error = loaded.error;
    } catch (const std::bad_alloc&) {
        result.error = LoadError{LoadError::Kind::OutOfMemory};
    }
    return result;
}

ListFileLoad loadAnyListFile(const platform::FoundFile& found)
{
    ListFileLoad result;
    result.file = found.path;
    const bool archive = found.archive || platform::looksLikeZip(found.path);
    try {
        ListParser parser;
        AnyLayoutReceiver receiver(parser, archive);
        if (archive) {
            if (auto zipError = platform::readListFromZip(found.path, receiver, result.entry)) {
                result.zipError = std::move(zipError);
                return result;
            }
        } else if (auto e = platform::readFile(found.path, kMaxListBytes, receiver)) {
            result.error = readError(*e);
            return result;
        }
        switch (receiver.layout()) {
        case Layout::Nationwide: {
            LoadResult loaded = parser.finish();
            result.list = std::move(loaded.list);
            result.error = loaded.error;
            break;
        }
        case Layout::Neither: {
            LoadError e{LoadError::Kind::NeitherLayout, 1};
            e.fieldCount = receiver.fields();
            result.error = e;
            break;
        }
        case Layout::Business: {
            std::shared_ptr<BusinessList>& business = receiver.business();
            if (business->size > kMaxListBytes) {
                result.error = LoadError{LoadError::Kind::TooLarge};
                break;
            }
            if (auto e = checkBusinessList(*business))
                result.error = e;
            else
                result.business = std::move(business);
            break;
        }
        }
    } catch (const std::bad_alloc&) {
        result.error = LoadError{LoadError::Kind::OutOfMemory};
    }
    return result;
}

Layout plainFileLayout(const std::filesystem::path& path)
{
    struct FirstBlock : platform::BlockReceiver
    {
        std::string bytes;
        void expectSize(std::uint64_t) override {}
        std::span<char> room(std::size_t size) override
        {
            bytes.resize(size);
            return {bytes.data(), size};
        }
        bool received(std::size_t count) override
        {
            bytes.resize(count);
            return false;
        }
    } first;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec) || platform::readFile(path, kMaxListBytes, first))
        return Layout::Nationwide;
    int fields = 0;
    return layoutOf(first.bytes, fields);
}

} // namespace postal
