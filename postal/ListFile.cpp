#include "ListFile.h"

#include "ListParser.h"

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

} // namespace postal
