#include "ZipList.h"

#include <libdeflate.h>
#include <zip.h>

#include <cerrno>
#include <fstream>
#include <functional>
#include <memory>
#include <new>
#include <span>
#include <system_error>

namespace platform {

namespace {

struct ZipCloser
{
    void operator()(zip_t* z) const { zip_discard(z); }
};
struct FileCloser
{
    void operator()(zip_file_t* f) const { zip_fclose(f); }
};
using Archive = std::unique_ptr<zip_t, ZipCloser>;
using Entry = std::unique_ptr<zip_file_t, FileCloser>;

// Reads the entry's data as stored in the archive, or through libzip's own
// decompression, into `out`; never more than its size. Fails with libzip's
// error code.
bool readAll(zip_file_t* file, std::span<char> out, std::size_t& filled, int& zipError, int& sysError)
{
    filled = 0;
    while (filled < out.size()) {
        const zip_int64_t n = zip_fread(file, out.data() + filled, out.size() - filled);
        if (n < 0) {
            zip_error_t* e = zip_file_get_error(file);
            zipError = zip_error_code_zip(e);
            if (zipError == ZIP_ER_MEMORY)
                throw std::bad_alloc();
            sysError = zip_error_system_type(e) == ZIP_ET_SYS ? zip_error_code_system(e) : 0;
            return false;
        }
        if (n == 0)
            break;
        filled += static_cast<std::size_t>(n);
    }
    return true;
}

// The list out of an archive libzip reads from `source`, which this takes
// over; `error` already names the archive. What goes wrong after the archive
// changed meanwhile (`changed`) is the change's fault, and a list read
// whole from a changed archive is refused.
std::optional<ZipError> readListFromSource(zip_source_t* source, zip_error_t& openError,
                                           std::uint64_t archiveSize, ZipError error,
                                           BlockReceiver& receiver, std::string& entryName,
                                           std::uint64_t limit, const std::function<bool()>& changed);

} // namespace

std::optional<ZipError> readListFromZip(const std::filesystem::path& path, BlockReceiver& receiver,
                                        std::string& entryName, std::uint64_t limit)
{
    ZipError error{ZipError::Kind::Damaged, path};
    entryName.clear();
    // The archive as it was before it was read; what goes wrong after a
    // change meanwhile is the change's fault.
    std::optional<FileVersion> before;
    const auto changed = [&] { return before && fileVersion(path) != before; };
    auto fail = [&](ZipError::Kind kind) {
        error.kind = changed() ? ZipError::Kind::Changed : kind;
        return error;
    };

    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (!std::filesystem::exists(status)) {
        error.sysError = ec && ec != std::errc::no_such_file_or_directory ? ec.value() : ENOENT;
        return fail(ZipError::Kind::CannotOpen);
    }
    if (std::filesystem::is_directory(status)) {
        error.sysError = EISDIR;
        return fail(ZipError::Kind::CannotOpen);
    }
    // An archive is read from its end, which a pipe or device does not have.
    if (!std::filesystem::is_regular_file(status)) {
        error.sysError = ESPIPE;
        return fail(ZipError::Kind::CannotOpen);
    }
    before = fileVersion(path);
    {
        // Whatever its name, a file that does not begin like an archive is
        // not a damaged one.
        std::ifstream in(path, std::ios::binary);
        if (!in) {
            error.sysError = errno;
            return fail(ZipError::Kind::CannotOpen);
        }
        char magic[2] = {};
        if (!in.read(magic, 2) || magic[0] != 'P' || magic[1] != 'K')
            return fail(ZipError::Kind::NotAZip);
    }
    const std::uint64_t archiveSize = static_cast<std::uint64_t>(std::filesystem::file_size(path, ec));

    zip_error_t openError;
    zip_error_init(&openError);
#ifdef _WIN32
    zip_source_t* source = zip_source_win32w_create(path.c_str(), 0, -1, &openError);
#else
    zip_source_t* source = zip_source_file_create(path.c_str(), 0, -1, &openError);
#endif
    return readListFromSource(source, openError, archiveSize, error, receiver, entryName, limit, changed);
}

namespace {

std::optional<ZipError> readListFromSource(zip_source_t* source, zip_error_t& openError,
                                           std::uint64_t archiveSize, ZipError error,
                                           BlockReceiver& receiver, std::string& entryName,
                                           std::uint64_t limit, const std::function<bool()>& changed)
{
    auto fail = [&](ZipError::Kind kind) {
        error.kind = changed() ? ZipError::Kind::Changed : kind;
        return error;
    };
    // The list once whole: still the archive that was opened, unchanged.
    auto finish = [&](std::size_t size) -> std::optional<ZipError> {
        if (changed())
            return fail(ZipError::Kind::Changed);
        receiver.received(size);
        return std::nullopt;
    };
    // Not ZIP_CHECKCONS: archives written as a stream (libarchive, bsdtar)
    // leave sizes out of the local header, which unzip accepts and libzip's
    // consistency check refuses. The list's own sizes and CRC are checked here.
    Archive archive(source ? zip_open_from_source(source, ZIP_RDONLY, &openError) : nullptr);
    if (!archive) {
        if (source)
            zip_source_free(source);
        const int code = zip_error_code_zip(&openError);
        error.sysError = zip_error_system_type(&openError) == ZIP_ET_SYS ? zip_error_code_system(&openError) : 0;
        zip_error_fini(&openError);
        if (code == ZIP_ER_MEMORY)
            throw std::bad_alloc();
        return fail(code == ZIP_ER_OPEN ? ZipError::Kind::CannotOpen : ZipError::Kind::Damaged);
    }
    zip_error_fini(&openError);

    zip_int64_t found = -1;
    const zip_int64_t count = zip_get_num_entries(archive.get(), 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        const char* name = zip_get_name(archive.get(), static_cast<zip_uint64_t>(i), ZIP_FL_ENC_RAW);
        if (!name || !isListEntryName(name))
            continue;
        if (found >= 0) {
            error.otherEntry = shownEntryName(name);
            return fail(ZipError::Kind::TwoLists);
        }
        found = i;
        error.entry = shownEntryName(name);
    }
    if (found < 0)
        return fail(ZipError::Kind::NoList);
    entryName = error.entry;
    const auto index = static_cast<zip_uint64_t>(found);

    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat_index(archive.get(), index, ZIP_FL_ENC_RAW, &st) != 0)
        return fail(ZipError::Kind::Damaged);
    constexpr zip_uint64_t wanted = ZIP_STAT_SIZE | ZIP_STAT_COMP_SIZE | ZIP_STAT_CRC | ZIP_STAT_COMP_METHOD |
                                    ZIP_STAT_ENCRYPTION_METHOD;
    if ((st.valid & wanted) != wanted)
        return fail(ZipError::Kind::Damaged);
    if (st.encryption_method != ZIP_EM_NONE)
        return fail(ZipError::Kind::Encrypted);
    error.size = st.size;
    if (st.size > limit)
        return fail(ZipError::Kind::TooLarge);
    // Packed data cannot be larger than the archive that holds it.
    if (st.comp_size > archiveSize)
        return fail(ZipError::Kind::Damaged);

    int zipError = 0;
    if (st.comp_method == ZIP_CM_STORE || st.comp_method == ZIP_CM_DEFLATE) {
        Entry file(zip_fopen_index(archive.get(), index, ZIP_FL_COMPRESSED));
        if (!file)
            return fail(ZipError::Kind::Damaged);
        const auto listSize = static_cast<std::size_t>(st.size);
        std::size_t got = 0;
        if (st.comp_method == ZIP_CM_STORE) {
            // Stored data is the list itself: read straight into its place.
            if (st.comp_size != st.size)
                return fail(st.comp_size > st.size ? ZipError::Kind::LargerThanDeclared : ZipError::Kind::Damaged);
            receiver.expectSize(st.size);
            const std::span<char> room = receiver.room(listSize);
            if (!readAll(file.get(), room.first(listSize), got, zipError, error.sysError) || got != listSize)
                return fail(ZipError::Kind::Damaged);
            if (libdeflate_crc32(0, room.data(), got) != st.crc)
                return fail(ZipError::Kind::CrcMismatch);
            return finish(listSize);
        }
        std::string packed(static_cast<std::size_t>(st.comp_size), '\0');
        if (!readAll(file.get(), {packed.data(), packed.size()}, got, zipError, error.sysError) ||
            got != packed.size())
            return fail(ZipError::Kind::Damaged);
        struct Free
        {
            void operator()(libdeflate_decompressor* d) const { libdeflate_free_decompressor(d); }
        };
        std::unique_ptr<libdeflate_decompressor, Free> inflater(libdeflate_alloc_decompressor());
        if (!inflater)
            throw std::bad_alloc();
        receiver.expectSize(st.size);
        const std::span<char> room = receiver.room(listSize);
        // Inflating into exactly the declared size stops a bomb at that size.
        std::size_t produced = 0;
        const libdeflate_result r = libdeflate_deflate_decompress(inflater.get(), packed.data(), packed.size(),
                                                                  room.data(), listSize, &produced);
        if (r == LIBDEFLATE_INSUFFICIENT_SPACE)
            return fail(ZipError::Kind::LargerThanDeclared);
        if (r != LIBDEFLATE_SUCCESS || produced != listSize)
            return fail(ZipError::Kind::Damaged);
        if (libdeflate_crc32(0, room.data(), listSize) != st.crc)
            return fail(ZipError::Kind::CrcMismatch);
        return finish(listSize);
    }

    // Other methods (bzip2, xz, zstd) through libzip, which checks the CRC.
    if (!zip_compression_method_supported(static_cast<zip_int32_t>(st.comp_method), 0)) {
        error.method = st.comp_method;
        return fail(ZipError::Kind::Unsupported);
    }
    Entry file(zip_fopen_index(archive.get(), index, 0));
    if (!file)
        return fail(ZipError::Kind::Damaged);
    receiver.expectSize(st.size);
    const std::span<char> room = receiver.room(static_cast<std::size_t>(st.size) + 1);
    std::size_t got = 0;
    if (!readAll(file.get(), room.first(static_cast<std::size_t>(st.size) + 1), got, zipError, error.sysError))
        return fail(zipError == ZIP_ER_CRC ? ZipError::Kind::CrcMismatch : ZipError::Kind::Damaged);
    if (got != st.size)
        return fail(got > st.size ? ZipError::Kind::LargerThanDeclared : ZipError::Kind::Damaged);
    return finish(got);
}

} // namespace

std::optional<ZipError> readListFromZipBytes(std::string_view archive, const std::filesystem::path& shownAs,
                                             BlockReceiver& receiver, std::string& entryName,
                                             std::uint64_t limit)
{
    entryName.clear();
    if (!archive.starts_with("PK"))
        return ZipError{ZipError::Kind::NotAZip, shownAs};
    zip_error_t openError;
    zip_error_init(&openError);
    zip_source_t* source = zip_source_buffer_create(archive.data(), archive.size(), 0, &openError);
    return readListFromSource(source, openError, archive.size(), {ZipError::Kind::Damaged, shownAs},
                              receiver, entryName, limit, [] { return false; });
}

} // namespace platform
