#pragma once
// The nationwide postal-code list held in memory, exactly as read.
// ListParser.h has the reading rules.

#include "platform/FileReader.h"
#include "platform/Memory.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace postal {

inline constexpr int kFieldCount = 15;
// Larger lists are refused: the published one is about 12 MB.
inline constexpr std::uint64_t kMaxListBytes = std::uint64_t(1) << 30;

struct LoadError
{
    enum class Kind {
        CannotOpen,     // missing, unreadable (see sysError)
        NotAFile,       // a folder, a socket... (notAFile)
        ReadFailed,     // read error part-way
        TooLarge,       // beyond kMaxListBytes
        Changed,        // the file changed while it was read
        OutOfMemory,    // no memory for the list
        FieldCount,     // a line with other than 15 fields (fieldCount)
        UnclosedQuote,  // a quoted field without its closing quote on its line
        QuoteInField,   // a quote inside an unquoted field, or text after a closing quote
        NulByte,        // a NUL byte
        CutShort,       // the last line has no line end
        BadCode,        // field 1 does not start with a JIS code 01-47
        ByteOrderMark,  // the file starts with a UTF-8 byte-order mark
        // The business-office list's own (BusinessList.h):
        NeitherLayout,   // line 1's field count is neither list's (fieldCount)
        Quoted,          // a field that is never quoted is
        NotQuoted,       // a field that is always quoted is not
        NotCrLf,         // a line ended otherwise than by CR LF
        NotDigits,       // a field is not `expected` digits
        BadOldCode,      // field 9 is not five digits, or three and two spaces
        PrefectureName,  // field 4 is not the name of jisCode's prefecture
        OutOfOrder,      // jisCode comes after the later `expected`
    };
    Kind kind{};
    std::size_t line = 0;  // 1-based; 0 when no line applies
    int fieldCount = 0;    // for FieldCount
    int expected = 0;      // FieldCount: the layout's count (0: 15); NotDigits, OutOfOrder
    int jisCode = 0;       // PrefectureName, OutOfOrder
    int field = 0;         // 1-based field where the problem is, when known
    int sysError = 0;      // errno for CannotOpen/ReadFailed
    platform::NotAFile notAFile{};

    // Japanese, one sentence, e.g. "123 行目の項目が 14 個です（15 個のはずです）。"
    std::string message() const;
};

// Why a quoted field's closing quote was not found where the search stopped at
// `p`: the list ended, a NUL byte, or the line ended first.
inline LoadError::Kind missingQuote(const char* p, const char* end)
{
    return p == end ? LoadError::Kind::CutShort
           : *p == '\0' ? LoadError::Kind::NulByte
                        : LoadError::Kind::UnclosedQuote;
}

class PostalList;

struct LoadResult
{
    std::shared_ptr<const PostalList> list;  // set on success
    std::optional<LoadError> error;          // set on refusal
    explicit operator bool() const { return list != nullptr; }
};

class PostalList
{
public:
    // One run of consecutive rows of the same prefecture.
    struct Run
    {
        std::uint32_t firstRow;
        std::uint32_t endRow;  // one past the last row
        std::uint8_t jisCode;  // 1-47
        bool verbatim;         // every row's bytes already are its export line
    };
    // Where one row's line lies in the bytes read.
    struct Row
    {
        std::uint32_t start;     // offset of the line's first byte
        std::uint32_t length;    // line length without its line end
        std::uint8_t endLength;  // 1 or 2 (CR LF)
        std::uint8_t jisCode;
        bool verbatim;
    };
    using Rows = std::vector<Row, platform::BufferAllocator<Row>>;

    // Reads the file whole (ordinary reads, a copy of its own), then checks
    // it; a damaged list is refused as soon as the damage has been read, and
    // a list without the memory to hold it is refused too.
    static LoadResult load(const std::filesystem::path& path);
    // Bytes that came from elsewhere (a zip, a test).
    static LoadResult parse(std::string_view bytes);

    PostalList();  // empty list: no rows
    ~PostalList();
    PostalList(const PostalList&) = delete;
    PostalList& operator=(const PostalList&) = delete;

    std::size_t rowCount() const { return rows_.size(); }
    bool empty() const { return rows_.empty(); }

    // Field 1-15 of a row, quotes removed, bytes unchanged.
    std::string_view field(std::size_t row, int fieldNumber) const;
    int jisCode(std::size_t row) const { return rows_[row].jisCode; }
    // The row's line as it stands in the file, without its line end.
    std::string_view rawLine(std::size_t row) const;
    // True when rawLine + CR LF is exactly the row's export line.
    bool verbatim(std::size_t row) const { return rows_[row].verbatim; }

    const std::vector<Run>& runs() const { return runs_; }
    // Bytes of the file from the start of row `first` to the end of row
    // `last - 1`, line ends included: valid to copy when the rows are verbatim.
    std::string_view span(std::size_t first, std::size_t last) const;

private:
    friend class ListParser;

    struct FreeBytes
    {
        void operator()(char* p) const;
    };

    std::unique_ptr<char, FreeBytes> bytes_;
    std::size_t size_ = 0;
    Rows rows_;
    std::vector<Run> runs_;
};

} // namespace postal
