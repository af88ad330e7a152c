#include "WindowsSystem.h"

#include "SafeFileWriter.h"

#include <cerrno>

namespace platform::windows {

std::wstring systemPath(const std::filesystem::path& path)
{
    std::wstring text = path.native();
    for (wchar_t& c : text)
        if (c == L'/')
            c = L'\\';
    // Room for a file name of 12 below the limit, as folders need.
    if (text.size() < MAX_PATH - 12 || text.starts_with(L"\\\\?\\"))
        return text;
    // The \\?\ form takes the path as it stands: make it absolute and
    // resolve "." and ".." first.
    std::wstring full(32768, L'\0');
    const DWORD n = GetFullPathNameW(text.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (n == 0 || n >= full.size())
        return text;
    full.resize(n);
    if (full.starts_with(L"\\\\.\\"))  // a device
        return full;
    if (full.starts_with(L"\\\\"))
        return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

bool isInUse(DWORD code)
{
    return code == ERROR_SHARING_VIOLATION || code == ERROR_LOCK_VIOLATION || code == ERROR_USER_MAPPED_FILE;
}

int heldOpen(const std::filesystem::path& path)
{
    const Handle probe(CreateFileW(systemPath(path).c_str(), DELETE,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                   FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    return !probe.valid() && isInUse(GetLastError()) ? kFileInUse : 0;
}

bool isDeviceOrPipe(const std::filesystem::path& path)
{
    const std::wstring name = systemPath(path);
    // Opened to be asked, a pipe would take its reader: known by its name.
    constexpr wchar_t kPipes[] = L"\\\\.\\pipe\\";
    constexpr int kLength = sizeof kPipes / sizeof kPipes[0] - 1;
    if (name.size() > std::size_t(kLength) &&
        CompareStringOrdinal(name.c_str(), kLength, kPipes, kLength, TRUE) == CSTR_EQUAL)
        return true;
    const Handle file(CreateFileW(name.c_str(), FILE_READ_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return file.valid() && GetFileType(file.get()) != FILE_TYPE_DISK;
}

int moveOnto(const std::filesystem::path& from, const std::filesystem::path& to, bool replace)
{
    const DWORD flags = MOVEFILE_WRITE_THROUGH | (replace ? MOVEFILE_REPLACE_EXISTING : 0);
    if (MoveFileExW(systemPath(from).c_str(), systemPath(to).c_str(), flags))
        return 0;
    const DWORD code = GetLastError();
    // A file held open refuses its replacement as access denied.
    if (code == ERROR_ACCESS_DENIED && heldOpen(to))
        return kFileInUse;
    return errnoOf(code);
}

std::filesystem::path tempNameFor(const std::filesystem::path& target, unsigned random)
{
    std::wstring stem = target.filename().native();
    if (stem.size() > 200) {
        stem.resize(200);
        if (IS_HIGH_SURROGATE(stem.back()))
            stem.pop_back();
    }
    static constexpr wchar_t kLetters[] = L"abcdefghijklmnopqrstuvwxyz0123456789";
    std::wstring ending;
    for (int i = 0; i < 6; ++i, random /= 36)
        ending += kLetters[random % 36];
    const std::filesystem::path folder = target.parent_path();
    return (folder.empty() ? std::filesystem::path(".") : folder) / (L"." + stem + L"." + ending);
}

int errnoOf(DWORD code)
{
    if (isInUse(code))
        return kFileInUse;
    switch (code) {
    case ERROR_SUCCESS: return 0;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME: return ENOENT;
    case ERROR_DIRECTORY: return ENOTDIR;
    case ERROR_ACCESS_DENIED:
    case ERROR_PRIVILEGE_NOT_HELD: return EACCES;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS: return EEXIST;
    case ERROR_DIR_NOT_EMPTY: return ENOTEMPTY;
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME: return EINVAL;
    case ERROR_FILENAME_EXCED_RANGE: return ENAMETOOLONG;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return ENOSPC;
    case ERROR_FILE_TOO_LARGE: return EFBIG;
    case ERROR_NOT_SAME_DEVICE: return EXDEV;
    case ERROR_WRITE_PROTECT: return EROFS;
    case ERROR_TOO_MANY_OPEN_FILES: return EMFILE;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY: return ENOMEM;
    case ERROR_BROKEN_PIPE:
    case ERROR_NO_DATA: return EPIPE;
    case ERROR_CRC:
    case ERROR_READ_FAULT:
    case ERROR_WRITE_FAULT:
    case ERROR_IO_DEVICE:
    case ERROR_GEN_FAILURE: return EIO;
    case ERROR_CANT_RESOLVE_FILENAME: return ELOOP;
    default: return -static_cast<int>(code);
    }
}

} // namespace platform::windows
