#include "PostalList.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>
#include <thread>

#ifdef _WIN32
#include <fstream>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif
#ifdef __linux__
#include <sys/mman.h>
#endif
#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define DOZUZEZO_SSE2 1
#endif
// Counting bits is a library call on the baseline x86-64; a second copy of
// the reading loop uses the processor's own instruction where it has one.
#if defined(__GNUC__) && defined(__x86_64__) && defined(__linux__)
#define PARSE_CLONES __attribute__((target_clones("popcnt", "default")))
#define PARSE_INLINE inline __attribute__((always_inline))
#else
#define PARSE_CLONES
#define PARSE_INLINE inline
#endif

namespace postal {

// The file's bytes, followed by zero padding: a NUL sentinel for the
// scanning loops and room for 16-byte loads past the end.
class PostalList::Storage
{
public:
    static constexpr std::size_t kPadding = 64;

    explicit Storage(std::size_t size) { allocate(size); }
    ~Storage()
    {
#ifndef _WIN32
        if (mapped_) {
            ::munmap(data_, mapped_);
            return;
        }
#endif
        std::free(data_);
    }

#ifndef _WIN32
    // The file itself in place of a copy, with zero pages after it for the
    // sentinel and padding. Null when it cannot be mapped.
    static std::unique_ptr<Storage> map(int fd, std::size_t size)
    {
        const std::size_t page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
        const std::size_t total = (size + kPadding + page - 1) / page * page;
        void* region = ::mmap(nullptr, total, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (region == MAP_FAILED)
            return nullptr;
        if (size > 0 && ::mmap(region, size, PROT_READ, MAP_PRIVATE | MAP_FIXED, fd, 0) ==
                            MAP_FAILED) {
            ::munmap(region, total);
            return nullptr;
        }
        std::unique_ptr<Storage> storage(new Storage());
        storage->data_ = static_cast<char*>(region);
        storage->size_ = storage->capacity_ = size;
        storage->mapped_ = total;
        return storage;
    }
#endif
    Storage(const Storage&) = delete;
    Storage& operator=(const Storage&) = delete;

    char* data() { return data_; }
    std::size_t size() const { return size_; }
    std::size_t capacity() const { return capacity_; }
    std::string_view bytes() const { return {data_, size_}; }

    // Keeps the first `used` bytes.
    void grow(std::size_t capacity, std::size_t used)
    {
        Storage bigger(capacity);
        std::memcpy(bigger.data_, data_, used);
        std::swap(data_, bigger.data_);
        std::swap(capacity_, bigger.capacity_);
    }
    void setSize(std::size_t size)
    {
        size_ = size;
        std::memset(data_ + size_, 0, kPadding);
    }

private:
    Storage() = default;
    void allocate(std::size_t capacity)
    {
        capacity_ = capacity;
        std::size_t bytes = capacity + kPadding;
#ifdef __linux__
        // Huge pages: the copy from the page cache then costs a handful of
        // page faults instead of three thousand.
        constexpr std::size_t kHuge = std::size_t(2) << 20;
        if (bytes >= kHuge) {
            bytes = (bytes + kHuge - 1) & ~(kHuge - 1);
            data_ = static_cast<char*>(std::aligned_alloc(kHuge, bytes));
            if (data_)
                ::madvise(data_, bytes, MADV_HUGEPAGE);
        }
#endif
        if (!data_)
            data_ = static_cast<char*>(std::malloc(bytes));
        if (!data_)
            throw std::bad_alloc();
        setSize(0);
    }

    char* data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
    std::size_t mapped_ = 0;  // length of the mapping, when mapped
};

namespace {

// Bytes that end a stretch of plain field text. The string's terminating NUL
// doubles as the sentinel, so the inner loops need no bounds check.
enum : std::uint8_t { Plain = 0, Comma, Quote, Cr, Lf, Nul };

constexpr std::array<std::uint8_t, 256> makeClasses(bool inQuotes)
{
    std::array<std::uint8_t, 256> c{};
    c[static_cast<unsigned char>(',')] = inQuotes ? Plain : Comma;
    c[static_cast<unsigned char>('"')] = Quote;
    c[static_cast<unsigned char>('\r')] = Cr;
    c[static_cast<unsigned char>('\n')] = Lf;
    c[0] = Nul;
    return c;
}
constexpr auto kUnquoted = makeClasses(false);
constexpr auto kQuoted = makeClasses(true);

inline std::uint8_t cls(const std::array<std::uint8_t, 256>& table, const char* p)
{
    return table[static_cast<unsigned char>(*p)];
}

// The first quote, CR, LF or NUL from p: the end of a quoted field's content.
// Most of the list is quoted text, so this loop is the loader's hot spot.
inline const char* skipQuotedText(const char* p)
{
#ifdef DOZUZEZO_SSE2
    const __m128i quote = _mm_set1_epi8('"');
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i nul = _mm_setzero_si128();
    for (;;) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i hit = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, quote), _mm_cmpeq_epi8(v, cr)),
                                         _mm_or_si128(_mm_cmpeq_epi8(v, lf), _mm_cmpeq_epi8(v, nul)));
        const int mask = _mm_movemask_epi8(hit);
        if (mask != 0)
            return p + __builtin_ctz(static_cast<unsigned>(mask));
        p += 16;
    }
#else
    while (cls(kQuoted, p) == Plain)
        ++p;
    return p;
#endif
}

#ifdef DOZUZEZO_SSE2
// Byte positions within one line as W 64-bit words, lowest bit first.
template <int W>
struct LineBits
{
    std::uint64_t w[W];
};

template <int W>
PARSE_INLINE int popcount(const LineBits<W>& b)
{
    int n = 0;
    for (int i = 0; i < W; ++i)
        n += __builtin_popcountll(b.w[i]);
    return n;
}

template <int W>
PARSE_INLINE LineBits<W> shiftUp(const LineBits<W>& b, int n)  // position i -> i + n, 0 < n < 64
{
    LineBits<W> r;
    r.w[0] = b.w[0] << n;
    for (int i = 1; i < W; ++i)
        r.w[i] = (b.w[i] << n) | (b.w[i - 1] >> (64 - n));
    return r;
}

template <int W>
PARSE_INLINE LineBits<W> shiftDown(const LineBits<W>& b, int n)  // position i -> i - n, 0 < n < 64
{
    LineBits<W> r;
    for (int i = 0; i + 1 < W; ++i)
        r.w[i] = (b.w[i] >> n) | (b.w[i + 1] << (64 - n));
    r.w[W - 1] = b.w[W - 1] >> n;
    return r;
}

template <int W>
PARSE_INLINE int lowest(const LineBits<W>& b)
{
    for (int i = 0; i < W; ++i)
        if (b.w[i])
            return i * 64 + __builtin_ctzll(b.w[i]);
    return -1;
}

// Whether the quotes and commas of a line (its first W words) are those of
// the published layout: 16 quotes pairing up as whole fields 2-9, 14
// separating commas outside them.
template <int W>
PARSE_INLINE bool publishedShape(const std::uint64_t* quoteWords, const std::uint64_t* commaWords)
{
    LineBits<W> quotes, commas;
    for (int i = 0; i < W; ++i) {
        quotes.w[i] = quoteWords[i];
        commas.w[i] = commaWords[i];
    }
    if (popcount(quotes) != 16)
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
    if (popcount(separators) != 14)
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
        chained += __builtin_popcountll(twoOn.w[i] & opens.w[i]);
    }
    return stray == 0 && chained == 7 && lowest(separators) + 1 == lowest(opens);
}

// The length of the line at p, without its CR LF, when the line is exactly
// in the published layout: field 1 and 10-15 unquoted, 2-9 quoted, no stray
// quote, CR, LF or NUL, ended by CR LF, at most 255 bytes, field 1 starting
// with two digits. Otherwise -1, and the line is read the slow way, which
// accepts other valid forms and names the fault of a bad one.
PARSE_INLINE int publishedLineLength(const char* p)
{
    std::uint64_t quotes[4] = {0, 0, 0, 0}, commas[4] = {0, 0, 0, 0};
    const __m128i quote = _mm_set1_epi8('"');
    const __m128i comma = _mm_set1_epi8(',');
    // Control bytes up to CR: the line end, a NUL, or a tab and the like,
    // which the slow way takes care of.
    const __m128i low = _mm_set1_epi8('\r');
    // 64 bytes a step; the list's padding keeps the loads past its end valid.
    for (int word = 0; word < 4; ++word) {
        std::uint64_t q = 0, c = 0, stop = 0;
        for (int block = 0; block < 4; ++block) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + word * 64 + block * 16));
            const int shift = block * 16;
            q |= std::uint64_t(static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, quote)))) << shift;
            c |= std::uint64_t(static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, comma)))) << shift;
            stop |= std::uint64_t(static_cast<unsigned>(
                        _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_min_epu8(v, low), v))))
                    << shift;
        }
        if (!stop) {
            quotes[word] = q;
            commas[word] = c;
            continue;
        }
        const int at = __builtin_ctzll(stop);
        const std::uint64_t before = (std::uint64_t(1) << at) - 1;
        quotes[word] = q & before;
        commas[word] = c & before;
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
#endif

// The JIS code in the first two bytes of field 1, or 0.
inline int codeOf(const char* p, const char* fieldEnd)
{
    if (fieldEnd - p < 2 || p[0] < '0' || p[0] > '9' || p[1] < '0' || p[1] > '9')
        return 0;
    const int code = (p[0] - '0') * 10 + (p[1] - '0');
    return code >= 1 && code <= 47 ? code : 0;
}

} // namespace

class ListParser
{
public:
    static LoadResult run(std::unique_ptr<PostalList::Storage> storage,
                          const PostalList::Alongside& alongside = {}, int fd = -1)
    {
        auto list = std::make_shared<PostalList>();
        const std::string_view bytes = storage->bytes();
        if (bytes.size() >= std::numeric_limits<std::uint32_t>::max())
            return LoadResult{nullptr, LoadError{LoadError::Kind::TooLarge}};
        std::thread helper;
        if (alongside)
            helper = std::thread([&] { alongside(bytes, fd); });
        struct Joiner
        {
            std::thread& t;
            ~Joiner()
            {
                if (t.joinable())
                    t.join();
            }
        } joiner{helper};
        const char* const begin = bytes.data();
        const char* const end = begin + bytes.size();

        // A big list is read in two halves at once, split after a line feed:
        // a line feed always ends a line (or makes the line it ends bad, which
        // the first half then reports), so each half is whole lines.
        const char* split = end;
        if (bytes.size() >= kParallelFrom && std::thread::hardware_concurrency() > 1) {
            const void* lf = std::memchr(begin + bytes.size() / 2, '\n', bytes.size() / 2);
            if (lf)
                split = static_cast<const char*>(lf) + 1;
        }
        std::vector<PostalList::Row> secondRows;
        std::optional<LoadError> secondError;
        std::thread second;
        if (split != end) {
            second = std::thread([&] { secondError = parseRange(split, end, begin, secondRows); });
        }
        // Room for both halves, so joining them copies no row twice.
        list->rows_.reserve(bytes.size() / 80 + 16);
        std::optional<LoadError> error = parseRange(begin, split, begin, list->rows_);
        if (second.joinable())
            second.join();
        if (error)
            return LoadResult{nullptr, error};
        if (secondError) {
            secondError->line += list->rows_.size();
            return LoadResult{nullptr, secondError};
        }
        list->rows_.insert(list->rows_.end(), secondRows.begin(), secondRows.end());

        buildRuns(*list);
        list->storage_ = std::move(storage);
        list->bytes_ = list->storage_->bytes();
        return LoadResult{std::move(list), std::nullopt};
    }

private:
    static constexpr std::size_t kParallelFrom = std::size_t(1) << 20;

    // Reads the whole lines in [begin, end); line numbers count from 1 at
    // begin, offsets from base. The byte at `end` is a NUL sentinel or the
    // first byte after a line feed.
    PARSE_CLONES static std::optional<LoadError> parseRange(const char* const begin, const char* const end,
                                               const char* const base,
                                               std::vector<PostalList::Row>& rows)
    {
        auto fail = [](LoadError::Kind kind, std::size_t line, int field) {
            LoadError e{kind, line};
            e.field = field;
            return e;
        };
        rows.reserve(rows.size() + static_cast<std::size_t>(end - begin) / 90 + 16);
        const char* p = begin;
        std::size_t line = 0;
        while (p != end) {
            ++line;
#ifdef DOZUZEZO_SSE2
            const int length = publishedLineLength(p);
            if (length >= 0) {
                const int code = codeOf(p, p + 2);
                if (code != 0) {
                    rows.push_back(PostalList::Row{static_cast<std::uint32_t>(p - base),
                                                   static_cast<std::uint32_t>(length), 2,
                                                   static_cast<std::uint8_t>(code), true});
                    p += length + 2;
                    continue;
                }
            }
#endif
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
                    p = skipQuotedText(p);
                    if (*p != '"') {
                        if (p == end)
                            return fail(LoadError::Kind::CutShort, line, field);
                        if (*p == '\0')
                            return fail(LoadError::Kind::NulByte, line, field);
                        return fail(LoadError::Kind::UnclosedQuote, line, field);
                    }
                    contentEnd = p++;
                } else {
                    contentStart = p;
                    while (cls(kUnquoted, p) == Plain)
                        ++p;
                    contentEnd = p;
                }
                if (field == 1) {
                    codeStart = contentStart;
                    codeEnd = contentEnd;
                }
                verbatim &= quoted == (field >= 2 && field <= 9);

                const std::uint8_t c = cls(kUnquoted, p);
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
            rows.push_back(row);
        }
        return std::nullopt;
    }

    static void buildRuns(PostalList& list)
    {
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
    }
};

PostalList::PostalList() = default;
PostalList::~PostalList() = default;

LoadResult PostalList::parse(std::string bytes)
{
    auto storage = std::make_unique<Storage>(bytes.size());
    std::memcpy(storage->data(), bytes.data(), bytes.size());
    storage->setSize(bytes.size());
    return ListParser::run(std::move(storage));
}

LoadResult PostalList::load(const std::filesystem::path& path, Reading reading)
{
    return load(path, reading, {});
}

LoadResult PostalList::load(const std::filesystem::path& path, Reading reading,
                            const Alongside& alongside)
{
    auto fail = [](LoadError::Kind kind, int err) {
        LoadError e{kind};
        e.sysError = err;
        return LoadResult{nullptr, e};
    };
    std::unique_ptr<Storage> storage;
#ifdef _WIN32
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec))
        return fail(LoadError::Kind::CannotOpen, EISDIR);
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return fail(LoadError::Kind::CannotOpen, errno);
    in.seekg(0, std::ios::end);
    const auto size = static_cast<std::size_t>(in.tellg());
    if (size >= std::numeric_limits<std::uint32_t>::max())
        return fail(LoadError::Kind::TooLarge, 0);
    in.seekg(0);
    storage = std::make_unique<Storage>(size);
    if (!in.read(storage->data(), static_cast<std::streamsize>(size)))
        return fail(LoadError::Kind::ReadFailed, errno);
    storage->setSize(size);
#else
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return fail(LoadError::Kind::CannotOpen, errno);
    struct Closer
    {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat st{};
    if (::fstat(fd, &st) != 0)
        return fail(LoadError::Kind::CannotOpen, errno);
    if (S_ISDIR(st.st_mode))
        return fail(LoadError::Kind::CannotOpen, EISDIR);
    if (static_cast<unsigned long long>(st.st_size) >= std::numeric_limits<std::uint32_t>::max())
        return fail(LoadError::Kind::TooLarge, 0);
    if (reading == Reading::Mapped && S_ISREG(st.st_mode)) {
        if (auto mapped = Storage::map(fd, static_cast<std::size_t>(st.st_size)))
            return ListParser::run(std::move(mapped), alongside, fd);
    }
    // A copy, so that another program rewriting the list cannot change rows
    // under our feet. A regular file is read in one go at its size (plus one
    // byte to see the end); anything else, such as a pipe, grows as it comes.
    storage = std::make_unique<Storage>(S_ISREG(st.st_mode) ? static_cast<std::size_t>(st.st_size) + 1
                                                           : std::size_t(1) << 16);
    std::size_t filled = 0;
    for (;;) {
        if (filled == storage->capacity()) {
            if (storage->capacity() >= std::numeric_limits<std::uint32_t>::max() / 2)
                return fail(LoadError::Kind::TooLarge, 0);
            storage->grow(storage->capacity() * 2, filled);
        }
        const ssize_t n = ::read(fd, storage->data() + filled, storage->capacity() - filled);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return fail(LoadError::Kind::ReadFailed, errno);
        }
        if (n == 0)
            break;
        filled += static_cast<std::size_t>(n);
    }
    storage->setSize(filled);
#endif
#ifdef _WIN32
    return ListParser::run(std::move(storage), alongside);
#else
    return ListParser::run(std::move(storage), alongside, fd);
#endif
}

std::string_view PostalList::rawLine(std::size_t row) const
{
    const Row& r = rows_[row];
    return bytes_.substr(r.start, r.length);
}

std::string_view PostalList::span(std::size_t first, std::size_t last) const
{
    if (first >= last)
        return {};
    const Row& a = rows_[first];
    const Row& b = rows_[last - 1];
    return bytes_.substr(a.start, b.start + b.length + b.endLength - a.start);
}

std::string_view PostalList::field(std::size_t row, int fieldNumber) const
{
    // Rows were checked at load, so this walk needs no error handling.
    const std::string_view line = rawLine(row);
    std::size_t pos = 0;
    for (int f = 1;; ++f) {
        std::size_t contentStart = pos;
        std::size_t contentEnd;
        if (pos < line.size() && line[pos] == '"') {
            contentStart = pos + 1;
            contentEnd = line.find('"', contentStart);
            pos = contentEnd + 1;
        } else {
            contentEnd = std::min(line.find(',', pos), line.size());
            pos = contentEnd;
        }
        if (f == fieldNumber)
            return line.substr(contentStart, contentEnd - contentStart);
        if (pos >= line.size())
            return {};
        ++pos;  // the comma
    }
}

} // namespace postal
