#include "ListCheck.h"

#include "ListParser.h"

#include "platform/Memory.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string_view>

namespace postal {

namespace {

// Blocks are cache-sized: each is checked while it is still there.
constexpr std::size_t kBlock = std::size_t(1) << 20;
// Room before each block for the unended line of the one before: a longer
// line is left to the full reader.
constexpr std::size_t kCarry = std::size_t(64) << 10;
constexpr std::size_t kSlotSize = kCarry + kBlock + ListParser::kPadding;

// Checks the blocks in file order, remembering the runs.
class Checker
{
public:
    // The block of `count` bytes at `block`, which has kCarry bytes free
    // before it and kPadding readable after it. False: not a list this way.
    bool check(char* block, std::size_t count)
    {
        char* const base = block - carried_;
        std::memcpy(base, carry_, carried_);
        const std::size_t used = carried_ + count;
        if (offset_ == 0 && used >= 3 && std::memcmp(base, "\xEF\xBB\xBF", 3) == 0)
            return false;
        const std::size_t lastLf = std::string_view(base, used).rfind('\n');
        const std::size_t to = lastLf == std::string_view::npos ? 0 : lastLf + 1;
        if (used - to > kCarry)
            return false;
        if (to > 0) {
            rows_.clear();
            if (ListParser::scanLines(base, 0, to, lines_, &rows_))
                return false;
            for (const PostalList::Row& row : rows_) {
                const std::uint64_t begin = offset_ + row.start;
                const std::uint64_t end = begin + row.length + row.endLength;
                auto& runs = spans_.runs;
                if (!runs.empty() && runs.back().jisCode == row.jisCode && runs.back().end == begin) {
                    runs.back().end = end;
                    runs.back().verbatim &= row.verbatim;
                } else {
                    runs.push_back({begin, end, row.jisCode, row.verbatim});
                }
            }
        }
        carried_ = used - to;
        std::memcpy(carry_, base + to, carried_);
        offset_ += to;
        return true;
    }

    // The runs, once the whole file has been checked.
    std::optional<ListSpans> finish(const platform::FileVersion& version)
    {
        if (carried_ != 0)  // an unended last line: the full reader says what it is
            return std::nullopt;
        spans_.version = version;
        return std::move(spans_);
    }

private:
    char carry_[kCarry];
    std::size_t carried_ = 0;
    std::uint64_t offset_ = 0;  // the file offset of the next block's first line
    std::size_t lines_ = 0;
    PostalList::Rows rows_;
    ListSpans spans_;
};

struct Free
{
    void operator()(char* p) const { std::free(p); }
};

// Each block checked as soon as it has been read, in the same memory.
class CheckAsRead : public platform::BlockReceiver
{
public:
    explicit CheckAsRead(Checker& checker)
        : checker_(checker), memory_(platform::allocateBuffer(kSlotSize))
    {
        if (!memory_)
            throw std::bad_alloc();
        std::memset(block() + kBlock, 0, ListParser::kPadding);
    }
    void expectSize(std::uint64_t) override {}
    std::span<char> room(std::size_t) override { return {block(), kBlock}; }
    bool received(std::size_t count) override { return ok_ = checker_.check(block(), count); }
    bool ok() const { return ok_; }

private:
    char* block() const { return memory_.get() + kCarry; }

    Checker& checker_;
    std::unique_ptr<char, Free> memory_;
    bool ok_ = true;
};

} // namespace

std::optional<ListSpans> checkListFile(const std::filesystem::path& path)
{
    const auto checker = std::make_unique<Checker>();
    CheckAsRead receiver(*checker);
    platform::FileVersion version;
    version.size = ~std::uint64_t(0);  // stays so unless a plain file was read whole
    if (platform::readFile(path, kMaxListBytes, receiver, &version) || !receiver.ok() ||
        version.size == ~std::uint64_t(0))
        return std::nullopt;
    return checker->finish(version);
}

} // namespace postal
