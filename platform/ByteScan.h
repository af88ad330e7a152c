#pragma once
// Byte classes 64 at a time for the list reader's fast path: SSE2 where the
// processor has it, plain loops elsewhere (both kept, so tests can compare).

#include <bit>
#include <cstdint>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define DOZUZEZO_BYTESCAN_SSE2 1
#endif

namespace platform {

// Bit i stands for byte i of the 64.
struct ByteMasks
{
    std::uint64_t quotes;    // '"'
    std::uint64_t commas;    // ','
    std::uint64_t controls;  // bytes 0-13: line ends, NUL, tab and the like
};

namespace portable {

inline ByteMasks scan64(const char* p)
{
    ByteMasks m{0, 0, 0};
    for (int i = 0; i < 64; ++i) {
        const auto c = static_cast<unsigned char>(p[i]);
        const std::uint64_t bit = std::uint64_t(1) << i;
        if (c == '"')
            m.quotes |= bit;
        else if (c == ',')
            m.commas |= bit;
        else if (c <= '\r')
            m.controls |= bit;
    }
    return m;
}

inline const char* findQuoteOrLineEnd(const char* p)
{
    for (;; ++p) {
        const char c = *p;
        if (c == '"' || c == '\r' || c == '\n' || c == '\0')
            return p;
    }
}

} // namespace portable

// The 64 bytes at p must all be readable.
inline ByteMasks scan64(const char* p)
{
#ifdef DOZUZEZO_BYTESCAN_SSE2
    const __m128i quote = _mm_set1_epi8('"');
    const __m128i comma = _mm_set1_epi8(',');
    const __m128i low = _mm_set1_epi8('\r');
    ByteMasks m{0, 0, 0};
    for (int block = 0; block < 4; ++block) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + block * 16));
        const int shift = block * 16;
        auto bits = [&](__m128i hit) {
            return std::uint64_t(static_cast<unsigned>(_mm_movemask_epi8(hit))) << shift;
        };
        m.quotes |= bits(_mm_cmpeq_epi8(v, quote));
        m.commas |= bits(_mm_cmpeq_epi8(v, comma));
        m.controls |= bits(_mm_cmpeq_epi8(_mm_min_epu8(v, low), v));
    }
    return m;
#else
    return portable::scan64(p);
#endif
}

// The first '"', CR, LF or NUL from p; reads up to 15 bytes beyond it.
inline const char* findQuoteOrLineEnd(const char* p)
{
#ifdef DOZUZEZO_BYTESCAN_SSE2
    const __m128i quote = _mm_set1_epi8('"');
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i nul = _mm_setzero_si128();
    for (;;) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i hit = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, quote), _mm_cmpeq_epi8(v, cr)),
                                         _mm_or_si128(_mm_cmpeq_epi8(v, lf), _mm_cmpeq_epi8(v, nul)));
        const unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(hit));
        if (mask != 0)
            return p + std::countr_zero(mask);
        p += 16;
    }
#else
    return portable::findQuoteOrLineEnd(p);
#endif
}

} // namespace platform
