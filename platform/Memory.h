#pragma once
// Memory for a large buffer that is filled once, from end to end.

#include <cstddef>

namespace platform {

// At least `size` bytes, released with std::free; null when there is no
// memory. Where the system allows it, in huge pages: filling 12 MB then
// costs a handful of page faults instead of three thousand.
char* allocateBuffer(std::size_t size);

} // namespace platform
