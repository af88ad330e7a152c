#pragma once
// The zip reader as a module of its own, for a program that should not load
// libzip (and the libraries it brings) unless an archive is read. Plain C
// across the boundary: the two sides may have different C++ runtimes.

#include <cstddef>
#include <cstdint>

extern "C" {

struct DozuzezoZipSink
{
    void* context;
    void (*expectSize)(void* context, std::uint64_t size);
    // At least `size` bytes, or null when there is no memory for them.
    char* (*room)(void* context, std::size_t size);
    // False: the receiver has seen enough.
    int (*received)(void* context, std::size_t count);
    // readListFromZip's entryName, and the ZipError's entry and otherEntry.
    void (*entryNames)(void* context, const char* listName, const char* entry, const char* other);
};

struct DozuzezoZipFailure
{
    int kind;  // platform::ZipError::Kind
    std::uint64_t size;
    int method;
    int sysError;
};

// platform::readListFromZip: 0 when read, 1 when refused (see `failure`).
// The path is UTF-8 text, whatever the system's own code page.
using DozuzezoReadZipList = int (*)(const char* path, std::uint64_t limit, const DozuzezoZipSink* sink,
                                    DozuzezoZipFailure* failure);
// platform::readListFromZipBytes, the same way.
using DozuzezoReadZipListBytes = int (*)(const char* archive, std::size_t size, std::uint64_t limit,
                                         const DozuzezoZipSink* sink, DozuzezoZipFailure* failure);
}

inline constexpr const char* kZipReaderFunction = "dozuzezo_read_zip_list";
inline constexpr const char* kZipBytesReaderFunction = "dozuzezo_read_zip_list_bytes";
