#include "Memory.h"

#include <cstdlib>

#ifdef __linux__
#include <sys/mman.h>
#endif

namespace platform {

char* allocateBuffer(std::size_t size)
{
#ifdef __linux__
    constexpr std::size_t kHuge = std::size_t(2) << 20;
    if (size >= kHuge / 4) {
        const std::size_t rounded = (size + kHuge - 1) & ~(kHuge - 1);
        if (void* p = std::aligned_alloc(kHuge, rounded)) {
            ::madvise(p, rounded, MADV_HUGEPAGE);
            return static_cast<char*>(p);
        }
    }
#endif
    return static_cast<char*>(std::malloc(size));
}

} // namespace platform
