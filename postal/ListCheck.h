#pragma once
// A list file checked without being kept: read through a small buffer,
// every line judged as the full reader judges it, and only where each
// prefecture's rows lie in the file remembered. For an export that copies
// those bytes from the file itself.

#include "platform/FileReader.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

namespace postal {

struct ListSpans
{
    // One run of consecutive rows of the same prefecture, by byte offsets.
    struct Run
    {
        std::uint64_t begin, end;
        std::uint8_t jisCode;  // 1-47
        bool verbatim;         // every row's bytes already are its export line
    };
    std::vector<Run> runs;
    platform::FileVersion version;  // the file as it was checked
};

// The runs of the list at `path`, a plain file read whole and unchanged, all
// of whose lines the full reader accepts. Nothing where this way cannot say
// so (a fault, a line too long for the buffer, a pipe...): the full reader
// then reads it, and names what is wrong.
std::optional<ListSpans> checkListFile(const std::filesystem::path& path);

} // namespace postal
