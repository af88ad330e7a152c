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
