#pragma once
// The nationwide postal-code list held in memory, exactly as read.
//
// Reading rules (strict: a damaged list is refused with its line number,
// never guessed at, so no data can slide into the wrong field):
//  - a line ends in CR LF, LF or a lone CR; the last line must end too,
//    otherwise the file counts as cut short;
//  - a line holds exactly 15 fields separated by commas; an empty line is a
//    line of one field;
//  - a field that starts with a double quote runs to the next double quote,
//    which must be followed by a comma or the line end; its content may hold
//    commas and spaces but no line end;
//  - an unquoted field runs to the next comma or line end and holds no quote;
//  - no NUL byte anywhere;
//  - field 1 starts with two digits 01-47: the JIS code of the row's prefecture.
// Bytes are never converted: Shift-JIS and UTF-8 lists load alike.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace postal {

inline constexpr int kFieldCount = 15;

struct LoadError
{
    enum class Kind {
        CannotOpen,     // missing, a folder, unreadable (see sysError)
        ReadFailed,     // read error part-way
        TooLarge,       // beyond what the program can hold
        FieldCount,     // a line with other than 15 fields (fieldCount)
        UnclosedQuote,  // a quoted field without its closing quote on its line
        QuoteInField,   // a quote inside an unquoted field, or text after a closing quote
        NulByte,        // a NUL byte
        CutShort,       // the last line has no line end
        BadCode,        // field 1 does not start with a JIS code 01-47
    };
    Kind kind{};
    std::size_t line = 0;  // 1-based; 0 when no line applies
    int fieldCount = 0;    // for FieldCount
    int field = 0;         // 1-based field where the problem is, when known
    int sysError = 0;      // errno for CannotOpen/ReadFailed

    // Japanese, one sentence, e.g. "123 行目の項目が 14 個です（15 個のはずです）。"
    std::string message() const;
};

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

    enum class Reading {
        Copy,    // the list keeps its own copy of the file: for the program's whole run
        Mapped,  // the file is read in place: cheaper, for short runs that end before
                 // anyone could change the file (the command-line export)
    };
    static LoadResult load(const std::filesystem::path& path, Reading reading = Reading::Copy);
    // As above, running `alongside` on the file's bytes in another thread
    // while they are checked; it has ended when load returns. It also gets
    // the open file's descriptor (-1 where there is none to share).
    using Alongside = std::function<void(std::string_view bytes, int fd)>;
    static LoadResult load(const std::filesystem::path& path, Reading reading,
                           const Alongside& alongside);
    static LoadResult parse(std::string bytes);

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
    struct Row
    {
        std::uint32_t start;  // offset of the line's first byte (lists stay under 4 GB)
        std::uint32_t length;  // line length without its line end
        std::uint8_t endLength;  // 1 or 2 (CR LF)
        std::uint8_t jisCode;
        bool verbatim;
    };
    friend class ListParser;

    class Storage;
    std::unique_ptr<Storage> storage_;
    std::string_view bytes_;
    std::vector<Row> rows_;
    std::vector<Run> runs_;
};

} // namespace postal
