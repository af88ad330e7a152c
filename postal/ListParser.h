#pragma once
// Reads list bytes into rows, block by block as they arrive, and stops at
// the first problem.
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
//  - no NUL byte anywhere, and no UTF-8 byte-order mark at the start;
//  - field 1 starts with two digits 01-47: the JIS code of the row's prefecture.
// Bytes are never converted: Shift-JIS and UTF-8 lists load alike.
//
// Every line is checked as soon as its line end has arrived; a NUL byte or
// a stray quote is found even in a line whose end has not.

#include "PostalList.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace postal {

class ListParser
{
public:
    ListParser();
    ~ListParser();
    ListParser(const ListParser&) = delete;
    ListParser& operator=(const ListParser&) = delete;

    // The whole list is expected to be about this long: room is made once.
    void reserve(std::size_t total);
    // Room for at least `size` more bytes; fill some and pass their count to added().
    std::span<char> room(std::size_t size);
    // Checks the lines completed by the `count` bytes just put into room().
    // False once the list is known to be bad.
    bool added(std::size_t count);
    // Copies the bytes in, then as added().
    bool append(std::string_view bytes);
    // The end of the input: the rows, or the first problem.
    LoadResult finish();

    const std::optional<LoadError>& error() const { return error_; }
    std::size_t size() const;  // bytes taken so far

    // Bytes past the end of the input the reading may look at: they must be
    // readable (and are zero in the parser's own buffer).
    static constexpr std::size_t kPadding = 320;
    // The reading itself: the whole lines in [from, to) of `base`, counted on
    // from `line`, their rows added unless `rows` is null. The byte at `to`
    // is a NUL or the first after a line feed.
    static std::optional<LoadError> scanLines(const char* base, std::size_t from, std::size_t to,
                                              std::size_t& line, PostalList::Rows* rows);
    // Consecutive rows of one prefecture, by offsets into `base`.
    struct Span
    {
        std::uint32_t begin, end;  // the first row's first byte; past the last row's line end
        std::uint8_t jisCode;
        bool verbatim;  // every row's bytes already are its export line
    };
    // As scanLines, remembering spans instead of rows: a list checked
    // without being kept needs no room for a row each.
    static std::optional<LoadError> scanSpans(const char* base, std::size_t from, std::size_t to,
                                              std::size_t& line, std::vector<Span>& spans);

private:
    bool fail(LoadError error);
    void grow(std::size_t capacity);
    // Reads the whole lines in [from, to); the byte at `to` is a NUL or the
    // first byte after a line feed. Adds their rows, or sets error_.
    bool readLines(std::size_t from, std::size_t to, bool keepRows);
    // As readLines, a large stretch in two halves at once.
    bool readManyLines(std::size_t from, std::size_t to);

    std::unique_ptr<PostalList> list_;
    std::size_t capacity_ = 0;   // bytes, not counting the padding after them
    std::size_t checked_ = 0;    // bytes of whole lines read so far
    std::size_t lines_ = 0;      // lines read so far
    std::size_t nextTailLook_ = 0;  // tail length at which an unended line is looked at
    std::optional<LoadError> error_;
};

} // namespace postal
