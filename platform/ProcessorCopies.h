#pragma once
// Code built twice where it pays: a copy for processors of the last ten
// years (AVX2, POPCNT: x86-64-v3) beside the baseline one, the program
// picking its copy when it starts. Only GCC on x86-64 Linux does this
// (MinGW has no loader support for it, clang's clones differ, and the
// sanitizers do not follow them); elsewhere there is one copy.
//
//   DOZUZEZO_WIDER   before a function that gets the two copies
//   DOZUZEZO_INLINE  before a helper it calls, so that each copy inlines
//                    the helper compiled for its own processor

#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__) && defined(__linux__) && \
    !defined(__SANITIZE_ADDRESS__)
#define DOZUZEZO_WIDER __attribute__((target_clones("arch=x86-64-v3", "default")))
#define DOZUZEZO_INLINE inline __attribute__((always_inline))
#else
#define DOZUZEZO_WIDER
#define DOZUZEZO_INLINE inline
#endif
