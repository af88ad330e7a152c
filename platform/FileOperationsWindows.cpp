#include "FileOperationsSystem.h"

#include "SafeFileWriter.h"
#include "WindowsSystem.h"

#include <cerrno>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace platform {

namespace fs = std::filesystem;
using Kind = FileError::Kind;
using windows::errnoOf;
using windows::Handle;
using windows::heldOpen;
using windows::lastErrno;
using windows::systemPath;

namespace {

constexpr DWORD kChunk = 1 << 20;
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

std::optional<FileError> failure(Kind kind, int sysError, const fs::path& path)
{
    return FileError{kind, sysError, path};
}

fs::path folderOf(const fs::path& path)
{
    const fs::path folder = path.parent_path();
    return folder.empty() ? fs::path(".") : folder;
}

DWORD attributesOf(const fs::path& path) { return GetFileAttributesW(systemPath(path).c_str()); }

bool sameFile(const BY_HANDLE_FILE_INFORMATION& a, const BY_HANDLE_FILE_INFORMATION& b)
{
    return a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh &&
           a.nFileIndexLow == b.nFileIndexLow;
}

// Why a path cannot be made inside its folder, or nullopt when the folder is there.
std::optional<FileError> checkFolder(const fs::path& target)
{
    const DWORD attributes = attributesOf(folderOf(target));
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return failure(Kind::FolderMissing, lastErrno(), target);
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return failure(Kind::FolderMissing, ENOTDIR, target);
    return std::nullopt;
}

// The error of a failed removal of `path`, saying so where another program
// holding the file was the reason.
int removeError(const fs::path& path)
{
    const DWORD code = GetLastError();
    if (code == ERROR_ACCESS_DENIED && heldOpen(path))
        return kFileInUse;
    return errnoOf(code);
}

// Removes a file, a read-only one too: the user asked for it to go, so its
// read-only attribute is cleared first, and put back if it cannot go.
int removeFile(const fs::path& path, DWORD attributes)
{
    const std::wstring name = systemPath(path);
    const bool readOnly = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
    if (readOnly && !SetFileAttributesW(name.c_str(), (attributes & ~FILE_ATTRIBUTE_READONLY) | FILE_ATTRIBUTE_NORMAL))
        return removeError(path);
    if (DeleteFileW(name.c_str()))
        return 0;
    const int error = removeError(path);
    if (readOnly)
        SetFileAttributesW(name.c_str(), attributes);
    return error;
}

// A temporary file that is removed unless it was given its final name.
class TempFile
{
public:
    ~TempFile()
    {
        file.reset();
        if (!path.empty())
            removeFile(path, attributesOf(path));
    }
    void published() { path.clear(); }
    Handle file;
    fs::path path;
};

bool readSome(HANDLE file, char* data, DWORD size, DWORD& got, std::uint64_t* offset = nullptr)
{
    OVERLAPPED at{};
    if (offset) {
        at.Offset = static_cast<DWORD>(*offset);
        at.OffsetHigh = static_cast<DWORD>(*offset >> 32);
    }
    if (ReadFile(file, data, size, &got, offset ? &at : nullptr))
        return true;
    got = 0;
    return GetLastError() == ERROR_HANDLE_EOF || GetLastError() == ERROR_BROKEN_PIPE;
}

bool writeAll(HANDLE file, const char* data, DWORD size, int& error)
{
    while (size > 0) {
        DWORD written = 0;
        if (!WriteFile(file, data, size, &written, nullptr)) {
            error = lastErrno();
            return false;
        }
        if (written == 0) {
            error = ENOSPC;
            return false;
        }
        data += written;
        size -= written;
    }
    return true;
}

// Every byte of `in` from where it stands into `out`.
std::optional<FileError> copyBytes(HANDLE in, const fs::path& source, HANDLE out, const fs::path& target)
{
    std::vector<char> buffer(kChunk);
    for (;;) {
        DWORD got = 0;
        if (!readSome(in, buffer.data(), kChunk, got))
            return failure(Kind::ReadFailed, lastErrno(), source);
        if (got == 0)
            return std::nullopt;
        int error = 0;
        if (!writeAll(out, buffer.data(), got, error))
            return failure(Kind::WriteFailed, error, target);
    }
}

// Both files hold the same bytes.
bool sameContent(HANDLE a, HANDLE b)
{
    std::vector<char> bufferA(kChunk), bufferB(kChunk);
    for (std::uint64_t offset = 0;;) {
        DWORD na = 0, nb = 0;
        if (!readSome(a, bufferA.data(), kChunk, na, &offset) || !readSome(b, bufferB.data(), kChunk, nb, &offset) ||
            na != nb)
            return false;
        if (na == 0)
            return true;
        if (std::memcmp(bufferA.data(), bufferB.data(), na) != 0)
            return false;
        offset += na;
    }
}

struct OpenFile
{
    Handle file;
    BY_HANDLE_FILE_INFORMATION info{};
};

std::optional<FileError> openSource(const fs::path& source, OpenFile& out)
{
    const DWORD attributes = attributesOf(source);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return failure(Kind::SourceMissing, lastErrno(), source);
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return failure(Kind::SourceNotAFile, EISDIR, source);
    out.file.reset(CreateFileW(systemPath(source).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!out.file.valid())
        return failure(Kind::SourceMissing, lastErrno(), source);
    // A pipe or device has no end to copy up to.
    if (GetFileType(out.file.get()) != FILE_TYPE_DISK)
        return failure(Kind::SourceNotAFile, 0, source);
    if (!GetFileInformationByHandle(out.file.get(), &out.info))
        return failure(Kind::ReadFailed, lastErrno(), source);
    return std::nullopt;
}

// Writes the source's bytes into a new file beside `target`, flushed to disk,
// with the attributes and times of `like` (zero times stay as they are).
std::optional<FileError> writeTempCopy(OpenFile& source, const fs::path& sourcePath, const fs::path& target,
                                       const FILE_BASIC_INFO& like, TempFile& temp)
{
    std::mt19937 random(std::random_device{}());
    for (int attempt = 0; attempt < 100 && !temp.file.valid(); ++attempt) {
        const fs::path name = windows::tempNameFor(target, random());
        temp.file.reset(CreateFileW(systemPath(name).c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, 0, nullptr,
                                    CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (temp.file.valid())
            temp.path = name;
        else if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS)
            return failure(Kind::CreateFailed, lastErrno(), target);
    }
    if (!temp.file.valid())
        return failure(Kind::CreateFailed, EEXIST, target);
    if (auto error = copyBytes(source.file.get(), sourcePath, temp.file.get(), target))
        return error;
    FILE_BASIC_INFO basic = like;
    if (basic.FileAttributes == 0)
        basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
    SetFileInformationByHandle(temp.file.get(), FileBasicInfo, &basic, sizeof basic);
    if (!FlushFileBuffers(temp.file.get()))
        return failure(Kind::WriteFailed, lastErrno(), target);
    return std::nullopt;
}

LARGE_INTEGER timeOf(const FILETIME& t)
{
    LARGE_INTEGER value;
    value.LowPart = t.dwLowDateTime;
    value.HighPart = static_cast<LONG>(t.dwHighDateTime);
    return value;
}

// Writes into a device or pipe in place: nothing there to keep or replace.
std::optional<FileError> copyIntoDevice(OpenFile& source, const fs::path& sourcePath, const fs::path& target)
{
    Handle out(CreateFileW(systemPath(target).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr));
    if (!out.valid())
        return failure(Kind::CreateFailed, lastErrno(), target);
    return copyBytes(source.file.get(), sourcePath, out.get(), target);
}

std::optional<FileError> renameError(int error, const fs::path& from, const fs::path& to)
{
    switch (error) {
    case EEXIST:
    case ENOTEMPTY: return failure(Kind::TargetExists, EEXIST, to);
    case EINVAL: return failure(Kind::InvalidName, EINVAL, to);
    case ENOENT:
    case ENOTDIR:
        if (attributesOf(from) == INVALID_FILE_ATTRIBUTES)
            return failure(Kind::SourceMissing, ENOENT, from);
        if (auto missing = checkFolder(to))
            return missing;
        return failure(Kind::ReplaceFailed, error, to);
    default: return failure(Kind::ReplaceFailed, error, to);
    }
}

// The move between volumes: copied beside the new name, checked against the
// old file, given the new name without replacing anything, and only then is
// the old name removed. Any failure leaves the old file where it was.
std::optional<FileError> moveAcrossVolumes(const fs::path& from, const fs::path& to)
{
    OpenFile source;
    if (auto error = openSource(from, source))
        return error;
    if (auto error = checkFolder(to))
        return error;
    // A moved file is the same file: its attributes and times stay.
    const BY_HANDLE_FILE_INFORMATION& info = source.info;
    FILE_BASIC_INFO same{};
    same.CreationTime = timeOf(info.ftCreationTime);
    same.LastAccessTime = timeOf(info.ftLastAccessTime);
    same.LastWriteTime = timeOf(info.ftLastWriteTime);
    same.FileAttributes = info.dwFileAttributes;
    TempFile temp;
    if (auto error = writeTempCopy(source, from, to, same, temp))
        return error;
    if (!sameContent(source.file.get(), temp.file.get()))
        return failure(Kind::VerifyFailed, 0, to);
    temp.file.reset();
    if (const int error = windows::moveOnto(temp.path, to, false))
        return renameError(error, from, to);
    temp.published();
    source.file.reset();
    if (const int error = removeFile(from, info.dwFileAttributes)) {
        // Back to one file under its old name.
        removeFile(to, attributesOf(to));
        return failure(Kind::RemoveFailed, error, from);
    }
    return std::nullopt;
}

// The file a link names, for writing through it; the path itself otherwise.
fs::path finalPath(const fs::path& path, HANDLE opened)
{
    if (!(attributesOf(path) & FILE_ATTRIBUTE_REPARSE_POINT))
        return path;
    std::wstring name(32768, L'\0');
    const DWORD n = GetFinalPathNameByHandleW(opened, name.data(), static_cast<DWORD>(name.size()),
                                              FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (n == 0 || n >= name.size())
        return path;
    name.resize(n);
    return name;
}

} // namespace

std::optional<FileError> native::copyFile(const fs::path& source, const fs::path& target)
{
    OpenFile in;
    if (auto error = openSource(source, in))
        return error;
    const std::wstring name = target.filename().native();
    if (name.empty() || name == L"." || name == L"..")
        return failure(Kind::TargetNotAFile, EISDIR, target);

    // Opened only to learn what is there: a file (through a link, where the
    // link names one), a folder or a device.
    OpenFile existing;
    existing.file.reset(CreateFileW(systemPath(target).c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    fs::path finalTarget = target;
    FILE_BASIC_INFO like{};
    const bool exists = existing.file.valid();
    if (!exists) {
        const DWORD code = GetLastError();
        if (code == ERROR_INVALID_NAME)
            return failure(Kind::InvalidName, EINVAL, target);
        if (code != ERROR_FILE_NOT_FOUND && code != ERROR_PATH_NOT_FOUND && code != ERROR_DIRECTORY)
            return failure(Kind::CreateFailed, errnoOf(code), target);
        if (auto error = checkFolder(target))
            return error;
        // A link whose file is missing: not followed to create one.
        if (code != ERROR_FILE_NOT_FOUND || attributesOf(target) != INVALID_FILE_ATTRIBUTES)
            return failure(Kind::CreateFailed, errnoOf(code), target);
        // A new file: read-only where its source is, as a copy by the system would be.
        like.FileAttributes = (in.info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) | FILE_ATTRIBUTE_ARCHIVE;
    } else {
        if (GetFileType(existing.file.get()) != FILE_TYPE_DISK)
            return copyIntoDevice(in, source, target);
        if (!GetFileInformationByHandle(existing.file.get(), &existing.info))
            return failure(Kind::CreateFailed, lastErrno(), target);
        // Writing the source over itself would empty it.
        if (sameFile(existing.info, in.info))
            return failure(Kind::SameFile, 0, target);
        const DWORD attributes = existing.info.dwFileAttributes;
        if (attributes & FILE_ATTRIBUTE_DIRECTORY)
            return failure(Kind::TargetNotAFile, EISDIR, target);
        if (attributes & FILE_ATTRIBUTE_READONLY)
            return failure(Kind::TargetReadOnly, EACCES, target);
        finalTarget = finalPath(target, existing.file.get());
        existing.file.reset();
        // Held open by a program that would not let it be replaced: said now,
        // before anything is written.
        if (const int inUse = heldOpen(finalTarget))
            return failure(Kind::ReplaceFailed, inUse, target);
        // The replaced file's attributes and creation time stay.
        like.CreationTime = timeOf(existing.info.ftCreationTime);
        like.FileAttributes = attributes & (FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                            FILE_ATTRIBUTE_NOT_CONTENT_INDEXED);
    }

    TempFile temp;
    if (auto error = writeTempCopy(in, source, finalTarget, like, temp)) {
        if (error->path == finalTarget)
            error->path = target; // named as the user typed it
        return error;
    }
    temp.file.reset();
    // In one step, and on disk when it returns: the old file or the new one.
    if (const int error = windows::moveOnto(temp.path, finalTarget, exists))
        return failure(Kind::ReplaceFailed, error, target);
    temp.published();
    return std::nullopt;
}

std::optional<FileError> native::renameFile(const fs::path& from, const fs::path& to)
{
    const DWORD attributes = attributesOf(from);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return failure(Kind::SourceMissing, lastErrno(), from);
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return failure(Kind::SourceNotAFile, EISDIR, from);
    // The same name (a change of case alone is a rename the system allows).
    if (fs::absolute(from).lexically_normal() == fs::absolute(to).lexically_normal())
        return failure(Kind::TargetExists, EEXIST, to);
    if (MoveFileExW(systemPath(from).c_str(), systemPath(to).c_str(), MOVEFILE_WRITE_THROUGH))
        return std::nullopt;
    const DWORD code = GetLastError();
    if (code == ERROR_NOT_SAME_DEVICE)
        return moveAcrossVolumes(from, to);
    if (code == ERROR_ACCESS_DENIED && heldOpen(from))
        return failure(Kind::ReplaceFailed, kFileInUse, to);
    return renameError(errnoOf(code), from, to);
}

std::optional<FileError> native::deleteFile(const fs::path& file)
{
    const DWORD attributes = attributesOf(file);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return failure(Kind::SourceMissing, lastErrno(), file);
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return failure(Kind::SourceNotAFile, EISDIR, file);
    if (const int error = removeFile(file, attributes))
        return failure(Kind::RemoveFailed, error, file);
    return std::nullopt;
}

} // namespace platform
