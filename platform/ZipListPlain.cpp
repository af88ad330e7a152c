#include "ZipListPlain.h"

#include "Memory.h"
#include "ZipList.h"

#include <libdeflate.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <optional>

namespace platform {

namespace {

constexpr std::uint32_t kEndRecord = 0x06054b50;
constexpr std::uint32_t kCentralHeader = 0x02014b50;
constexpr std::uint32_t kLocalHeader = 0x04034b50;
constexpr std::size_t kEndSize = 22, kCentralSize = 46, kLocalSize = 30;

// Little-endian fields; the caller has checked they lie within the archive.
std::uint32_t u16(std::string_view a, std::size_t at)
{
    return std::uint32_t(std::uint8_t(a[at])) | std::uint32_t(std::uint8_t(a[at + 1])) << 8;
}
std::uint32_t u32(std::string_view a, std::size_t at)
{
    return u16(a, at) | u16(a, at + 2) << 16;
}

struct Entry
{
    std::string_view name;
    std::uint32_t flags, method, crc, packedSize, size, localHeader, firstDisk;
};

// The one list entry of a plain archive, or nothing.
std::optional<Entry> listEntry(std::string_view a)
{
    if (a.size() < kEndSize)
        return std::nullopt;
    // The end record whose comment reaches the archive's end.
    std::size_t end = a.size() - kEndSize;
    while (u32(a, end) != kEndRecord || end + kEndSize + u16(a, end + 20) != a.size()) {
        if (end == 0 || a.size() - end > kEndSize + 0xFFFF)
            return std::nullopt;
        --end;
    }
    const std::uint32_t entries = u16(a, end + 10);
    const std::uint64_t directorySize = u32(a, end + 12), directory = u32(a, end + 16);
    // One disk, no zip64 (its values would read 0xFFFF...), the directory
    // right before the end record.
    if (u16(a, end + 4) != 0 || u16(a, end + 6) != 0 || u16(a, end + 8) != entries || entries == 0xFFFF ||
        directory + directorySize != end)
        return std::nullopt;

    std::optional<Entry> found;
    std::size_t at = static_cast<std::size_t>(directory);
    for (std::uint32_t i = 0; i < entries; ++i) {
        if (end - at < kCentralSize || u32(a, at) != kCentralHeader)
            return std::nullopt;
        const std::size_t nameSize = u16(a, at + 28);
        const std::size_t next = at + kCentralSize + nameSize + u16(a, at + 30) + u16(a, at + 32);
        if (next > end)
            return std::nullopt;
        // Every entry as plainly laid out: no zip64 markers, one disk, its
        // local header where the directory says. Anything else is for the
        // zip reader to judge.
        const std::uint32_t local = u32(a, at + 42);
        if (u32(a, at + 20) == 0xFFFFFFFF || u32(a, at + 24) == 0xFFFFFFFF || local == 0xFFFFFFFF ||
            u16(a, at + 34) != 0 || local > directory || directory - local < kLocalSize ||
            u32(a, local) != kLocalHeader)
            return std::nullopt;
        const std::string_view name = a.substr(at + kCentralSize, nameSize);
        if (isListEntryName(name)) {
            if (found)
                return std::nullopt;  // two lists
            found = Entry{name,          u16(a, at + 8),  u16(a, at + 10), u32(a, at + 16), u32(a, at + 20),
                          u32(a, at + 24), u32(a, at + 42), u16(a, at + 34)};
        }
        at = next;
    }
    if (at != end)
        return std::nullopt;
    return found;
}

// Whole files: room for all of a plain file at once.
class WholeFile : public BlockReceiver
{
public:
    void expectSize(std::uint64_t size) override { expected_ = size; }
    std::span<char> room(std::size_t size) override
    {
        if (!bytes_) {
            capacity_ = std::max<std::size_t>(size, static_cast<std::size_t>(expected_.value_or(0)) + 1);
            bytes_.reset(allocateBuffer(capacity_));
            if (!bytes_)
                throw std::bad_alloc();
        }
        return {bytes_.get() + used_, capacity_ - used_};
    }
    bool received(std::size_t count) override
    {
        used_ += count;
        return true;
    }
    bool sized() const { return expected_.has_value(); }
    std::string_view bytes() const { return {bytes_.get(), used_}; }

private:
    struct Free
    {
        void operator()(char* p) const { std::free(p); }
    };
    std::optional<std::uint64_t> expected_;
    std::unique_ptr<char, Free> bytes_;
    std::size_t capacity_ = 0, used_ = 0;
};

} // namespace

bool readPlainZipList(std::string_view archive, BlockReceiver& receiver, std::string& entryName,
                      std::uint64_t limit)
{
    const std::optional<Entry> entry = listEntry(archive);
    if (!entry || (entry->flags & 1) != 0 || (entry->method != 0 && entry->method != 8) ||
        entry->firstDisk != 0 || entry->size > limit || entry->size == 0xFFFFFFFF ||
        entry->packedSize == 0xFFFFFFFF || (entry->method == 0 && entry->packedSize != entry->size))
        return false;
    const std::size_t local = entry->localHeader;
    if (local > archive.size() || archive.size() - local < kLocalSize || u32(archive, local) != kLocalHeader)
        return false;
    // Its local header says what the directory says (the sizes and CRC only
    // where no data descriptor follows): where they differ, the zip reader
    // judges which to believe, as for any archive not plainly laid out.
    if (u16(archive, local + 8) != entry->method ||
        ((u16(archive, local + 6) & 8) == 0 &&
         (u32(archive, local + 14) != entry->crc || u32(archive, local + 18) != entry->packedSize ||
          u32(archive, local + 22) != entry->size)))
        return false;
    const std::size_t data = local + kLocalSize + u16(archive, local + 26) + u16(archive, local + 28);
    if (data > archive.size() || archive.size() - data < entry->packedSize)
        return false;
    const std::string_view packed = archive.substr(data, entry->packedSize);

    const std::size_t size = entry->size;
    receiver.expectSize(size);
    const std::span<char> room = receiver.room(size);
    if (room.size() < size)
        return false;
    if (entry->method == 0) {
        std::memcpy(room.data(), packed.data(), size);
    } else {
        struct Free
        {
            void operator()(libdeflate_decompressor* d) const { libdeflate_free_decompressor(d); }
        };
        std::unique_ptr<libdeflate_decompressor, Free> inflater(libdeflate_alloc_decompressor());
        if (!inflater)
            throw std::bad_alloc();
        // Exactly the declared size: a bomb stops there (and is left to the
        // full reader to name).
        std::size_t produced = 0;
        if (libdeflate_deflate_decompress(inflater.get(), packed.data(), packed.size(), room.data(), size,
                                          &produced) != LIBDEFLATE_SUCCESS ||
            produced != size)
            return false;
    }
    if (libdeflate_crc32(0, room.data(), size) != entry->crc)
        return false;
    entryName = shownEntryName(entry->name);
    receiver.received(size);
    return true;
}

bool readPlainZipListFile(const std::filesystem::path& path, BlockReceiver& receiver, std::string& entryName,
                          std::uint64_t limit)
{
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec))
        return false;
    // Memory stays within the archive's size plus the list's, as with the full reader.
    WholeFile archive;
    if (readFile(path, limit, archive) || !archive.sized())
        return false;
    return readPlainZipList(archive.bytes(), receiver, entryName, limit);
}

} // namespace platform
