#include "ZipPacking.h"

#include "TempDir.h"

#include <gtest/gtest.h>

namespace testsupport {

void packZip(const std::filesystem::path& path, const std::vector<PackedEntry>& entries)
{
    int error = 0;
    // libzip takes names in UTF-8 on every system.
    const std::u8string name = path.u8string();
    zip_t* z = zip_open(reinterpret_cast<const char*>(name.c_str()), ZIP_CREATE | ZIP_TRUNCATE, &error);
    ASSERT_NE(z, nullptr) << "zip_open " << error;
    for (const PackedEntry& e : entries) {
        zip_source_t* src = zip_source_buffer(z, e.bytes.data(), e.bytes.size(), 0);
        ASSERT_NE(src, nullptr);
        const bool folder = e.name.back() == '/';
        const zip_int64_t index = folder ? zip_dir_add(z, e.name.c_str(), ZIP_FL_ENC_UTF_8)
                                         : zip_file_add(z, e.name.c_str(), src, ZIP_FL_ENC_UTF_8);
        ASSERT_GE(index, 0) << zip_strerror(z);
        if (folder) {
            zip_source_free(src);
            continue;
        }
        ASSERT_EQ(zip_set_file_compression(z, static_cast<zip_uint64_t>(index), e.method, 0), 0);
        if (e.encrypted) {
            ASSERT_EQ(zip_file_set_encryption(z, static_cast<zip_uint64_t>(index), ZIP_EM_AES_256, "secret"), 0)
                << zip_strerror(z);
        }
    }
    ASSERT_EQ(zip_close(z), 0) << zip_strerror(z);
}

void patchFirstEntry(const std::filesystem::path& path, ZipField field, std::uint32_t value)
{
    std::string bytes = readFile(path);
    auto put = [&](std::size_t at) {
        for (int i = 0; i < 4; ++i)
            bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xff);
    };
    ASSERT_EQ(bytes.compare(0, 4, "PK\x03\x04"), 0);
    put(field == ZipField::Crc ? 14 : 22);
    const std::size_t central = bytes.find("PK\x01\x02");
    ASSERT_NE(central, std::string::npos);
    put(central + (field == ZipField::Crc ? 16 : 24));
    writeFile(path, bytes);
}

std::optional<std::filesystem::path> realListZip(std::string* whyMissing)
{
    const std::filesystem::path zip = DOZUZEZO_REAL_LIST_ZIP;
    std::error_code ec;
    if (std::filesystem::is_regular_file(zip, ec))
        return zip;
    if (whyMissing)
        *whyMissing = "the published list " + zip.string() + " is not on this machine";
    return std::nullopt;
}

} // namespace testsupport
