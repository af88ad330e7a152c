#pragma once
// Zip archives packed by the tests at run time, with libzip.
#include <zip.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace testsupport {

struct PackedEntry
{
    std::string name;  // ending in / for a folder
    std::string bytes;
    zip_int32_t method = ZIP_CM_DEFLATE;
    bool encrypted = false;
};

// A new archive at `path` holding `entries` in order; fails the test where
// libzip refuses.
void packZip(const std::filesystem::path& path, const std::vector<PackedEntry>& entries);

// Rewrites a 32-bit field of the first entry in both its local header and
// its central directory record, so the archive stays self-consistent.
enum class ZipField { Crc, Size };
void patchFirstEntry(const std::filesystem::path& path, ZipField field, std::uint32_t value);

// The published ken_all.zip. Empty, with `whyMissing` set, when it is not on
// this machine.
std::optional<std::filesystem::path> realListZip(std::string* whyMissing = nullptr);

} // namespace testsupport
