#include "ListCheck.h"

#include "ListParser.h"

#include "platform/Memory.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string_view>
#include <system_error>
#include <thread>

namespace postal {

namespace {

// The file is read in chunks of a megabyte, in file order, each checked as
// soon as it has been read, while it is still in the cache: by a second
// thread where there are two processors, by either once all is read.
constexpr std::size_t kChunk = std::size_t(1) << 20;
// Files from this size on are shared between two threads.
constexpr std::uint64_t kSharedFrom = std::uint64_t(4) * kChunk;
constexpr std::size_t kPadding = ListParser::kPadding;
// Room for a chunk's spans, made before the threads start, so that the
// second thread needs no memory of its own: the published list changes
// prefecture a few times a megabyte.
constexpr std::size_t kSpansPerChunk = 16;

// Up to `size` bytes from `offset`, fewer only at the file's end; -1 on a fault.
long long readFully(const ChunkReader& readAt, int fd, std::uint64_t offset, char* buffer,
                    std::size_t size)
{
    std::size_t got = 0;
    while (got < size) {
        const long long n = readAt(fd, offset + got, buffer + got, size - got);
        if (n < 0)
            return -1;
        if (n == 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    return static_cast<long long>(got);
}

// Reads a file of `size` bytes into `bytes` chunk by chunk and checks each
// chunk's lines but those the chunk shares with its neighbours: from just
// after its first line feed to the last line that ends clear of its end
// (the reading looks a little past a line). Those seams are checked last,
// once every chunk is in.
class ChunkChecker
{
public:
    ChunkChecker(const ChunkReader& readAt, int fd, char* bytes, std::uint64_t size)
        : readAt_(readAt), fd_(fd), bytes_(bytes), size_(size),
          count_(static_cast<std::size_t>((size + kChunk - 1) / kChunk)), bodies_(count_)
    {
        for (Body& body : bodies_)
            body.spans.reserve(kSpansPerChunk);
    }

    // The first thread's part: reads every chunk in turn, then checks those
    // the other thread has not taken, then waits for the other's last one.
    // Spinning, not sleeping: a thread asleep on an idle processor can take
    // a millisecond to wake. Once this has returned, the other thread
    // touches neither the file nor the bytes.
    void work()
    {
        struct Close
        {
            ChunkChecker& checker;
            ~Close()
            {
                checker.closed_ = true;
                while (checker.active_ != 0)
                    std::this_thread::yield();
            }
        } close{*this};
        for (std::size_t chunk = 0; chunk < count_ && !failed_; ++chunk) {
            if (!read(chunk)) {
                failed_ = true;
                break;
            }
            read_ = chunk + 1;
        }
        checkChunks();
    }

    // The other thread's part: checks chunks as they are read, nothing once
    // the first thread has finished.
    void help() noexcept
    {
        ++active_;
        if (!closed_) {
            try {
                checkChunks();
            } catch (const std::bad_alloc&) {
                failed_ = true;  // the full reader then says what is short
            }
        }
        --active_;
    }

    // The runs of the whole file, its seams checked, once work() is done.
    std::optional<std::vector<CheckedList::Run>> runs()
    {
        if (failed_)
            return std::nullopt;
        std::vector<CheckedList::Run> runs;
        const auto add = [&](std::uint64_t offset, const std::vector<ListParser::Span>& spans) {
            for (const ListParser::Span& span : spans) {
                const std::uint64_t begin = offset + span.begin, end = offset + span.end;
                if (!runs.empty() && runs.back().jisCode == span.jisCode && runs.back().end == begin) {
                    runs.back().end = end;
                    runs.back().verbatim &= span.verbatim;
                } else {
                    runs.push_back({begin, end, span.jisCode, span.verbatim});
                }
            }
        };
        std::vector<ListParser::Span> seam;
        std::size_t line = 0;
        const auto addSeam = [&](std::uint64_t from, std::uint64_t to) {
            seam.clear();
            if (ListParser::scanSpans(bytes_ + from, 0, static_cast<std::size_t>(to - from), line, seam))
                return false;
            add(from, seam);
            return true;
        };
        std::uint64_t checked = 0;
        for (std::size_t chunk = 0; chunk < count_; ++chunk) {
            const Body& body = bodies_[chunk];
            if (body.begin == body.end)
                continue;
            if (!addSeam(checked, body.begin))
                return std::nullopt;
            add(std::uint64_t(chunk) * kChunk, body.spans);
            checked = body.end;
        }
        if (!addSeam(checked, size_))
            return std::nullopt;
        return runs;
    }

private:
    struct Body
    {
        std::uint64_t begin = 0, end = 0;       // none while equal
        std::vector<ListParser::Span> spans;  // offsets from the chunk's start
    };

    // Checks the chunks read and not yet taken, until every one is taken
    // or one has failed; waits while the next is still being read.
    void checkChunks()
    {
        for (std::size_t chunk = next_; !failed_ && chunk < count_; chunk = next_) {
            if (chunk >= read_)
                std::this_thread::yield();
            else if (next_.compare_exchange_weak(chunk, chunk + 1) && !check(chunk))
                failed_ = true;
        }
    }

    bool read(std::size_t chunk)
    {
        const std::uint64_t from = std::uint64_t(chunk) * kChunk;
        const std::size_t length = static_cast<std::size_t>(std::min<std::uint64_t>(kChunk, size_ - from));
        // Cut short meanwhile: the full reader says so.
        return readFully(readAt_, fd_, from, bytes_ + from, length) ==
               static_cast<long long>(length);
    }

    bool check(std::size_t chunk)
    {
        const std::uint64_t from = std::uint64_t(chunk) * kChunk;
        const std::size_t length = static_cast<std::size_t>(std::min<std::uint64_t>(kChunk, size_ - from));
        char* const base = bytes_ + from;
        const std::string_view text(base, length);
        if (length <= kPadding)
            return true;  // all seam
        const std::size_t firstLf = chunk == 0 ? std::string_view::npos : text.find('\n');
        const std::size_t begin = chunk == 0 ? 0 : firstLf == std::string_view::npos ? length : firstLf + 1;
        const std::size_t lastLf = text.rfind('\n', length - kPadding - 1);
        if (lastLf == std::string_view::npos || lastLf + 1 <= begin)
            return true;  // a line longer than the chunk: all seam
        std::size_t line = 0;
        Body& body = bodies_[chunk];
        if (ListParser::scanSpans(base, begin, lastLf + 1, line, body.spans))
            return false;
        body.begin = from + begin;
        body.end = from + lastLf + 1;
        return true;
    }

    const ChunkReader& readAt_;
    const int fd_;
    char* const bytes_;
    const std::uint64_t size_;
    const std::size_t count_;
    std::vector<Body> bodies_;
    std::atomic<std::size_t> read_{0};  // chunks read so far
    std::atomic<std::size_t> next_{0};  // the next chunk to check
    std::atomic<bool> failed_{false};
    std::atomic<bool> closed_{false};
    std::atomic<int> active_{0};
};

// The list in the open file of `size` bytes, or nothing.
std::optional<CheckedList> readAndCheck(const ChunkReader& readAt, int fd, std::uint64_t size)
{
    CheckedList list;
    list.memory.reset(platform::allocateBuffer(static_cast<std::size_t>(size) + kPadding));
    if (!list.memory)
        throw std::bad_alloc();
    list.size = size;
    // Shared with the other thread, which is not waited for once it can
    // no longer touch the file or the bytes.
    const auto checker = std::make_shared<ChunkChecker>(readAt, fd, list.memory.get(), size);
    if (size >= kSharedFrom && std::thread::hardware_concurrency() > 1) {
        try {
            std::thread([checker] { checker->help(); }).detach();
        } catch (const std::system_error&) {
            // No second thread to be had: this one takes every chunk.
        }
    }
    checker->work();
    // Only now: the last chunk's read has brought in that memory.
    std::memset(list.memory.get() + size, 0, kPadding);
    auto runs = checker->runs();
    if (!runs)
        return std::nullopt;
    list.runs = std::move(*runs);
    return list;
}

} // namespace

std::optional<CheckedList> checkListFile(const std::filesystem::path& path, const ChunkReader& read)
{
    // Only a plain file: opening a pipe would wait for, or cut off, its writer.
    std::error_code ec;
    const std::optional<platform::FileVersion> version = platform::fileVersion(path);
    if (!std::filesystem::is_regular_file(path, ec) || !version || version->size == 0 ||
        version->size > kMaxListBytes)
        return std::nullopt;
    std::optional<CheckedList> list;
    try {
        // Unchanged while read: otherwise the bytes may be of two versions.
        if (platform::useUnchangedFile(
                path, *version, [&](int fd) { list = readAndCheck(read, fd, version->size); }))
            return std::nullopt;
    } catch (const std::bad_alloc&) {
        return std::nullopt;  // the full reader names the list it has no room for
    }
    return list;
}

} // namespace postal
