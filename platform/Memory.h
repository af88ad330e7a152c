#pragma once
// Memory for a large buffer that is filled once, from end to end.

#include <cstddef>
#include <cstdlib>
#include <new>

namespace platform {

// At least `size` bytes, released with std::free; null when there is no
// memory. Where the system allows it, from half a megabyte on, in huge
// pages: filling 12 MB then costs a handful of page faults instead of three
// thousand, each of which takes some 14 us on a virtual machine.
char* allocateBuffer(std::size_t size);

// For containers of such sizes (a list's rows).
template <typename T>
struct BufferAllocator
{
    using value_type = T;
    BufferAllocator() = default;
    template <typename U>
    BufferAllocator(const BufferAllocator<U>&) noexcept
    {
    }
    T* allocate(std::size_t n)
    {
        if (n > std::size_t(-1) / sizeof(T))
            throw std::bad_alloc();
        if (T* p = reinterpret_cast<T*>(allocateBuffer(n * sizeof(T))))
            return p;
        throw std::bad_alloc();
    }
    void deallocate(T* p, std::size_t) noexcept { std::free(p); }
    template <typename U>
    bool operator==(const BufferAllocator<U>&) const noexcept
    {
        return true;
    }
};

} // namespace platform
