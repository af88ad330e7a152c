#pragma once
// A list file read whole and checked for an export that writes its rows
// unchanged: every line judged as the full reader judges it, but only where
// each prefecture's rows lie remembered, not a row each. Read in chunks by
// two threads where there are two processors.

#include "platform/FileReader.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

namespace postal {

struct CheckedList
{
    // One run of consecutive rows of the same prefecture, by byte offsets.
    struct Run
    {
        std::uint64_t begin, end;
        std::uint8_t jisCode;  // 1-47
        bool verbatim;         // every row's bytes already are its export line
    };
    struct Free
    {
        void operator()(char* p) const { std::free(p); }
    };
    std::unique_ptr<char, Free> memory;
    std::uint64_t size = 0;
    std::vector<Run> runs;

    std::string_view bytes(std::uint64_t begin, std::uint64_t end) const
    {
        return {memory.get() + begin, static_cast<std::size_t>(end - begin)};
    }
};

// The list at `path`, a plain file read whole and unchanged while read, all
// of whose lines the full reader accepts. Nothing where this way cannot say
// so (a fault, a long line where a chunk ends, a pipe...): the full reader
// then reads it, and names what is wrong. Chunks are read through `read`
// (platform::readAt), so that a change between two can be put there.
using ChunkReader =
    std::function<long long(int fd, std::uint64_t offset, char* buffer, std::size_t size)>;
std::optional<CheckedList> checkListFile(const std::filesystem::path& path,
                                         const ChunkReader& read = platform::readAt);

} // namespace postal
