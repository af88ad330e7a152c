#pragma once
// The business-office list (JIGYOSYO.CSV, published beside the nationwide
// list in jigyosyo.zip): large offices with postal codes of their own. It is
// only ever exported, so it is kept as read, with where each prefecture's
// block lies, not a row each.
//
// Reading rules (as strict as the nationwide list's, ListParser.h):
//  - every line ends in CR LF, the last one too (otherwise cut short); a
//    lone LF or CR is refused;
//  - a line holds exactly 13 fields separated by commas;
//  - fields 2-10 are quoted, fields 1 and 11-13 are not; a quoted field runs
//    to the next double quote, which must be followed by a comma or the line
//    end; an unquoted field holds no quote;
//  - field 1 is five digits starting with a JIS code 01-47; field 8 (the
//    postal code) is seven digits; field 9 (the old code) is five digits,
//    or three digits and two spaces; fields 11-13 are one digit each;
//  - field 4 is the name of field 1's prefecture, in Shift-JIS or UTF-8;
//  - the prefectures come in JIS code order, so each is one block;
//  - no NUL byte anywhere, and no UTF-8 byte-order mark at the start.
// Bytes are never converted.

#include "PostalList.h"

#include "platform/FileSystem.h"
#include "platform/SafeFileWriter.h"
#include "platform/ZipList.h"

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <span>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace postal {

class PrefectureSet;

inline constexpr int kBusinessFieldCount = 13;

// The prefecture's name as the postal service writes it (code page 932).
std::string_view shiftJisName(int jisCode);

// Which list a file is, told by its first line's field count.
enum class Layout { Nationwide, Business, Neither };
// `start` is the file's beginning, its first line whole where it has one.
// A line too damaged to count (a quote left open, no line end) is
// Nationwide: that reader names the fault. `fields` is the count found.
Layout layoutOf(std::string_view start, int& fields);

struct BusinessList
{
    struct Block
    {
        std::size_t begin, end;  // byte offsets: its first line, past its last line's CR LF
        std::uint8_t jisCode;
    };
    struct Free
    {
        void operator()(char* p) const { std::free(p); }
    };
    std::unique_ptr<char, Free> bytes;  // the file as read, then kBusinessPadding zero bytes
    std::size_t size = 0;
    std::size_t capacity = 0;  // not counting the padding
    std::vector<Block> blocks;

    // Room for at least `more` bytes after `size`; no memory throws std::bad_alloc.
    std::span<char> room(std::size_t more);
    std::string_view text(const Block& b) const { return {bytes.get() + b.begin, b.end - b.begin}; }
};

// Zero bytes kept after the list: a sentinel, and room for the 16-byte looks.
inline constexpr std::size_t kBusinessPadding = 64;

// Checks the list's `size` bytes (its padding zeroed here) and fills its
// blocks, or names the first fault by line and field.
std::optional<LoadError> checkBusinessList(BusinessList& list);
// The same for bytes from elsewhere (a download, a test), copied into `list`.
std::optional<LoadError> parseBusinessList(std::string_view bytes, BusinessList& list);

// The chosen prefectures' lines as read, in list order. False once the sink refuses.
bool writeBusinessSelection(const BusinessList& list, const PrefectureSet& chosen, platform::ByteSink& sink);

// As exportToFile (Export.h): the target replaced only once all is written.
std::optional<platform::WriteError> exportBusinessList(const BusinessList& list, const PrefectureSet& chosen,
                                                       const std::filesystem::path& target,
                                                       platform::PipeReader pipeReader = platform::PipeReader::Refuse);

} // namespace postal
