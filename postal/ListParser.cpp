#include "ListParser.h"

#include "platform/ByteScan.h"
#include "platform/Memory.h"
#include "platform/ProcessorCopies.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdlib>
#include <cstring>
#include <new>
#include <system_error>
#include <thread>

namespace postal {

namespace {

// Zero bytes kept after the list's bytes (ListParser::kPadding): a NUL
// sentinel for the scanning loops and room for the 64-byte looks of the fast
// path past the end.
constexpr std::size_t kPadding = ListParser::kPadding;
// An unended line is looked at for certain faults once it is this long,
// then each time it has doubled, so that /dev/zero is refused at once.
constexpr std::size_t kFirstTailLook = std::size_t(4) << 10;
// Stretches this long are read in two halves at once, on two processors.
constexpr std::size_t kTwoHalvesFrom = std::size_t(2) << 20;

// Bytes that end a stretch of plain field text. The sentinel NUL needs no
// bounds check in the inner loops.
enum : std::uint8_t { Plain = 0, Comma, Quote, Cr, Lf, Nul };

constexpr std::array<std::uint8_t, 256> makeClasses()
{
    std::array<std::uint8_t, 256> c{};
    c[static_cast<unsigned char>(',')] = Comma;
    c[static_cast<unsigned char>('"')] = Quote;
    c[static_cast<unsigned char>('\r')] = Cr;
    c[static_cast<unsigned char>('\n')] = Lf;
    c[0] = Nul;
    return c;
}
constexpr auto kClasses = makeClasses();

inline std::uint8_t classOf(const char* p) { return kClasses[static_cast<unsigned char>(*p)]; }

// Counting bits without relying on the processor's instruction, which the
// baseline x86-64 lacks (the compiler would call a library function).
inline int countBits(std::uint64_t x)
{
    x = x - ((x >> 1) & 0x5555555555555555ull);
    x = (x & 0x3333333333333333ull) + ((x >> 2) & 0x3333333333333333ull);
    x = (x + (x >> 4)) & 0x0f0f0f0f0f0f0f0full;
    return static_cast<int>((x * 0x0101010101010101ull) >> 56);
}

// Byte positions within one line as W 64-bit words, lowest bit first.
template <int W>
struct LineBits
{
    std::uint64_t w[W];
};

template <int W>
inline int countBits(const LineBits<W>& b)
{
    int n = 0;
    for (int i = 0; i < W; ++i)
        n += countBits(b.w[i]);
    return n;
}

template <int W>
inline LineBits<W> shiftUp(const LineBits<W>& b, int n)  // position i -> i + n, 0 < n < 64
{
    LineBits<W> r;
    r.w[0] = b.w[0] << n;
    for (int i = 1; i < W; ++i)
        r.w[i] = (b.w[i] << n) | (b.w[i - 1] >> (64 - n));
    return r;
}

template <int W>
inline LineBits<W> shiftDown(const LineBits<W>& b, int n)  // position i -> i - n, 0 < n < 64
{
    LineBits<W> r;
    for (int i = 0; i + 1 < W; ++i)
        r.w[i] = (b.w[i] >> n) | (b.w[i + 1] << (64 - n));
    r.w[W - 1] = b.w[W - 1] >> n;
    return r;
}

template <int W>
inline int lowest(const LineBits<W>& b)
{
    for (int i = 0; i < W; ++i)
        if (b.w[i])
            return i * 64 + std::countr_zero(b.w[i]);
    return -1;
}

// Whether the quotes and commas of a line (its first W words) are those of
// the published layout: 16 quotes pairing up as whole fields 2-9, 14
// separating commas outside them.
template <int W>
DOZUZEZO_INLINE bool publishedShape(const std::uint64_t* quoteWords, const std::uint64_t* commaWords)
{
    LineBits<W> quotes, commas;
    for (int i = 0; i < W; ++i) {
        quotes.w[i] = quoteWords[i];
        commas.w[i] = commaWords[i];
    }
    if (countBits(quotes) != 16)
        return false;
    // Inside quotes: from an opening quote up to its closing quote.
    LineBits<W> opens, closes, separators;
    std::uint64_t carry = 0;
    for (int i = 0; i < W; ++i) {
        std::uint64_t x = quotes.w[i];
        x ^= x << 1;
        x ^= x << 2;
        x ^= x << 4;
        x ^= x << 8;
        x ^= x << 16;
        x ^= x << 32;
        x ^= carry;
        carry = std::uint64_t(0) - (x >> 63);
        opens.w[i] = quotes.w[i] & x;
        closes.w[i] = quotes.w[i] & ~x;
        separators.w[i] = commas.w[i] & ~x;
    }
    if (countBits(separators) != 14)
        return false;
    // A separator before each opening quote and after each closing one; the
    // eight pairs follow one another (closing quote, comma, opening quote)
    // and the first comes right after field 1, so they are fields 2-9.
    const LineBits<W> afterSeparator = shiftUp(separators, 1);
    const LineBits<W> beforeSeparator = shiftDown(separators, 1);
    const LineBits<W> twoOn = shiftUp(closes, 2);
    int chained = 0;
    std::uint64_t stray = 0;
    for (int i = 0; i < W; ++i) {
        stray |= (opens.w[i] & ~afterSeparator.w[i]) | (closes.w[i] & ~beforeSeparator.w[i]);
        chained += countBits(twoOn.w[i] & opens.w[i]);
    }
    return stray == 0 && chained == 7 && lowest(separators) + 1 == lowest(opens);
}

// The length of the line at p, without its CR LF, when the line is exactly
// in the published layout: field 1 and 10-15 unquoted, 2-9 quoted, no stray
// quote, CR, LF or NUL, ended by CR LF, at most 255 bytes, field 1 starting
// with two digits. Otherwise -1, and the line is read the slow way, which
// accepts other valid forms and names the fault of a bad one.
DOZUZEZO_INLINE int publishedLineLength(const char* p)
{
    std::uint64_t quotes[4] = {0, 0, 0, 0}, commas[4] = {0, 0, 0, 0};
    for (int word = 0; word < 4; ++word) {
        // The padding after the list keeps these looks within the buffer.
        const platform::ByteMasks m = platform::scan64(p + word * 64);
        if (!m.controls) {
            quotes[word] = m.quotes;
            commas[word] = m.commas;
            continue;
        }
        const int at = std::countr_zero(m.controls);
        const std::uint64_t before = (std::uint64_t(1) << at) - 1;
        quotes[word] = m.quotes & before;
        commas[word] = m.commas & before;
        const int end = word * 64 + at;
        if (p[end] != '\r' || p[end + 1] != '\n' || p[0] < '0' || p[0] > '9' || p[1] < '0' ||
            p[1] > '9')
            return -1;
        const bool shape = word == 0   ? publishedShape<1>(quotes, commas)
                           : word == 1 ? publishedShape<2>(quotes, commas)
                                       : publishedShape<4>(quotes, commas);
        return shape ? end : -1;
    }
    return -1;
}

// The JIS code in the first two bytes of field 1, or 0.
inline int codeOf(const char* p, const char* fieldEnd)
{
    if (fieldEnd - p < 2 || p[0] < '0' || p[0] > '9' || p[1] < '0' || p[1] > '9')
        return 0;
    const int code = (p[0] - '0') * 10 + (p[1] - '0');
    return code >= 1 && code <= 47 ? code : 0;
}

} // namespace

void PostalList::FreeBytes::operator()(char* p) const { std::free(p); }

ListParser::ListParser() : list_(std::make_unique<PostalList>()) { grow(0); }

ListParser::~ListParser() = default;

std::size_t ListParser::size() const { return list_->size_; }

void ListParser::grow(std::size_t capacity)
{
    char* bigger = platform::allocateBuffer(capacity + kPadding);
    if (!bigger)
        throw std::bad_alloc();
    if (list_->size_ > 0)
        std::memcpy(bigger, list_->bytes_.get(), list_->size_);
    list_->bytes_.reset(bigger);
    capacity_ = capacity;
}

void ListParser::reserve(std::size_t total)
{
    if (total > capacity_ && total <= kMaxListBytes) {
        grow(total);
        // The published list has about 99 bytes a line.
        list_->rows_.reserve(total / 90 + 16);
    }
}

std::span<char> ListParser::room(std::size_t size)
{
    const std::size_t used = list_->size_;
    if (capacity_ - used < size)
        grow(std::max(used + size, capacity_ + capacity_ / 2));
    return {list_->bytes_.get() + used, capacity_ - used};
}

bool ListParser::append(std::string_view bytes)
{
    if (error_)
        return false;
    const std::span<char> space = room(bytes.size());
    if (!bytes.empty())
        std::memcpy(space.data(), bytes.data(), bytes.size());
    return added(bytes.size());
}

bool ListParser::fail(LoadError error)
{
    error_ = error;
    return false;
}

bool ListParser::added(std::size_t count)
{
    if (error_)
        return false;
    PostalList& list = *list_;
    list.size_ += count;
    if (list.size_ > kMaxListBytes)
        return fail(LoadError{LoadError::Kind::TooLarge});
    char* const bytes = list.bytes_.get();
    std::memset(bytes + list.size_, 0, kPadding);

    if (checked_ == 0 && list.size_ >= 3 && std::memcmp(bytes, "\xEF\xBB\xBF", 3) == 0)
        return fail(LoadError{LoadError::Kind::ByteOrderMark, 1});

    // Whole lines: up to the last line feed. A line feed always ends a line
    // (or makes the line it ends bad), so no line runs past it.
    const std::string_view fresh(bytes + checked_, list.size_ - checked_);
    const std::size_t lastLf = fresh.rfind('\n');
    if (lastLf != std::string_view::npos) {
        const std::size_t end = checked_ + lastLf + 1;
        if (!readManyLines(checked_, end))
            return false;
        checked_ = end;
        nextTailLook_ = 0;
    }
    // A long line without its end yet: faults that do not depend on the end
    // (a NUL byte, a stray quote) are known already.
    const std::size_t tail = list.size_ - checked_;
    if (tail >= std::max(nextTailLook_, kFirstTailLook)) {
        nextTailLook_ = tail * 2;
        const std::size_t lines = lines_;
        const bool ok = readLines(checked_, list.size_, false);
        lines_ = lines;
        if (!ok) {
            if (error_->kind != LoadError::Kind::CutShort)
                return false;
            error_.reset();
        }
    }
    return true;
}

LoadResult ListParser::finish()
{
    if (!error_ && list_->size_ >= 3 && checked_ == 0 &&
        std::memcmp(list_->bytes_.get(), "\xEF\xBB\xBF", 3) == 0)
        fail(LoadError{LoadError::Kind::ByteOrderMark, 1});
    if (!error_ && readLines(checked_, list_->size_, true))
        checked_ = list_->size_;
    if (error_)
        return LoadResult{nullptr, error_};

    PostalList& list = *list_;
    const auto& rows = list.rows_;
    for (std::uint32_t i = 0; i < rows.size();) {
        PostalList::Run run{i, i, rows[i].jisCode, true};
        while (run.endRow < rows.size() && rows[run.endRow].jisCode == run.jisCode) {
            run.verbatim &= rows[run.endRow].verbatim;
            ++run.endRow;
        }
        list.runs_.push_back(run);
        i = run.endRow;
    }
    std::shared_ptr<const PostalList> done(std::move(list_));
    list_ = std::make_unique<PostalList>();
    grow(0);
    checked_ = lines_ = nextTailLook_ = 0;
    return LoadResult{std::move(done), std::nullopt};
}

bool ListParser::readLines(std::size_t from, std::size_t to, bool keepRows)
{
    PostalList::Rows* rows = keepRows ? &list_->rows_ : nullptr;
    if (rows && rows->capacity() - rows->size() < (to - from) / 90 + 16)
        rows->reserve(std::max(rows->capacity() * 2, rows->size() + (to - from) / 90 + 16));
    if (auto e = scanLines(list_->bytes_.get(), from, to, lines_, rows))
        return fail(*e);
    return true;
}

bool ListParser::readManyLines(std::size_t from, std::size_t to)
{
    const char* const base = list_->bytes_.get();
    const std::size_t middle = from + (to - from) / 2;
    const void* lf = to - from >= kTwoHalvesFrom && std::thread::hardware_concurrency() > 1
                         ? std::memchr(base + middle, '\n', to - middle)
                         : nullptr;
    if (!lf)
        return readLines(from, to, true);
    // Split after a line feed: each half is whole lines.
    const std::size_t split = static_cast<std::size_t>(static_cast<const char*>(lf) - base) + 1;
    PostalList::Rows secondRows;
    secondRows.reserve((to - split) / 90 + 16);
    std::size_t secondLines = 0;
    std::optional<LoadError> secondError;
    bool secondOutOfMemory = false;
    // Joined however this ends, a shortage of memory on this side included.
    std::jthread second;
    try {
        second = std::jthread([&] {
            try {
                secondError = scanLines(base, split, to, secondLines, &secondRows);
            } catch (const std::bad_alloc&) {
                secondOutOfMemory = true;
            }
        });
    } catch (const std::system_error&) {
        // No second thread to be had (no memory for its stack, say): one reads it all.
        return readLines(from, to, true);
    }
    const bool firstOk = readLines(from, split, true);
    second.join();
    if (!firstOk)
        return false;
    if (secondOutOfMemory)
        throw std::bad_alloc();
    if (secondError) {
        secondError->line += lines_;
        return fail(*secondError);
    }
    lines_ += secondLines;
    list_->rows_.insert(list_->rows_.end(), secondRows.begin(), secondRows.end());
    return true;
}

namespace {

// Where scanLines puts its rows.
struct RowSink
{
    PostalList::Rows* rows;
    void add(const PostalList::Row& row)
    {
        if (rows)
            rows->push_back(row);
    }
};

// Where scanSpans puts its rows: one span while the prefecture stays.
struct SpanSink
{
    std::vector<ListParser::Span>& spans;
    void add(const PostalList::Row& row)
    {
        const std::uint32_t end = row.start + row.length + row.endLength;
        if (!spans.empty() && spans.back().jisCode == row.jisCode && spans.back().end == row.start) {
            spans.back().end = end;
            spans.back().verbatim &= row.verbatim;
        } else {
            spans.push_back({row.start, end, row.jisCode, row.verbatim});
        }
    }
};

template <class Sink>
DOZUZEZO_INLINE std::optional<LoadError> scanInto(const char* base, std::size_t from, std::size_t to,
                                                  std::size_t& line, Sink sink);

} // namespace

// The wider instructions read lines about a third faster.
DOZUZEZO_WIDER std::optional<LoadError> ListParser::scanLines(const char* const base, std::size_t from, std::size_t to,
                                                              std::size_t& line, PostalList::Rows* rows)
{
    return scanInto(base, from, to, line, RowSink{rows});
}

DOZUZEZO_WIDER std::optional<LoadError> ListParser::scanSpans(const char* const base, std::size_t from, std::size_t to,
                                                              std::size_t& line, std::vector<Span>& spans)
{
    return scanInto(base, from, to, line, SpanSink{spans});
}

namespace {

template <class Sink>
DOZUZEZO_INLINE std::optional<LoadError> scanInto(const char* const base, std::size_t from, std::size_t to,
                                                  std::size_t& line, Sink sink)
{
    auto fail = [](LoadError::Kind kind, std::size_t line, int field) {
        LoadError e{kind, line};
        e.field = field;
        return e;
    };
    const char* const end = base + to;
    const char* p = base + from;
    while (p != end) {
        ++line;
        const int length = publishedLineLength(p);
        if (length >= 0) {
            const int code = codeOf(p, p + 2);
            if (code != 0) {
                sink.add(PostalList::Row{static_cast<std::uint32_t>(p - base),
                                         static_cast<std::uint32_t>(length), 2,
                                         static_cast<std::uint8_t>(code), true});
                p += length + 2;
                continue;
            }
        }
        const char* const lineStart = p;
        const char* codeStart = nullptr;
        const char* codeEnd = nullptr;
        int field = 0;
        bool verbatim = true;
        for (;;) {
            ++field;
            const bool quoted = *p == '"';
            const char* contentStart;
            const char* contentEnd;
            if (quoted) {
                contentStart = ++p;
                p = platform::findQuoteOrLineEnd(p);
                if (*p != '"')
                    return fail(missingQuote(p, end), line, field);
                contentEnd = p++;
            } else {
                contentStart = p;
                while (classOf(p) == Plain)
                    ++p;
                contentEnd = p;
            }
            if (field == 1) {
                codeStart = contentStart;
                codeEnd = contentEnd;
            }
            verbatim &= quoted == (field >= 2 && field <= 9);

            const std::uint8_t c = classOf(p);
            if (c == Comma) {
                ++p;
                continue;
            }
            if (c == Quote || c == Plain)  // Plain: text after a closing quote
                return fail(LoadError::Kind::QuoteInField, line, field);
            if (c == Nul) {
                if (p == end)
                    return fail(LoadError::Kind::CutShort, line, field);
                return fail(LoadError::Kind::NulByte, line, field);
            }
            break;  // a line end
        }
        if (field != kFieldCount) {
            LoadError e{LoadError::Kind::FieldCount, line};
            e.fieldCount = field;
            return e;
        }
        const int code = codeOf(codeStart, codeEnd);
        if (code == 0)
            return fail(LoadError::Kind::BadCode, line, 1);

        PostalList::Row row;
        row.start = static_cast<std::uint32_t>(lineStart - base);
        row.length = static_cast<std::uint32_t>(p - lineStart);
        row.jisCode = static_cast<std::uint8_t>(code);
        if (p[0] == '\r' && p[1] == '\n') {
            row.endLength = 2;
        } else {
            row.endLength = 1;  // a lone CR or LF: written as CR LF on export
            verbatim = false;
        }
        row.verbatim = verbatim;
        p += row.endLength;
        sink.add(row);
    }
    return std::nullopt;
}

} // namespace

} // namespace postal
