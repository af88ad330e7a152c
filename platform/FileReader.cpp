#include "FileReader.h"

#include <algorithm>
#include <cerrno>

#ifdef _WIN32
#include "WindowsSystem.h"

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <sys/types.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace platform {

namespace {

#ifdef _WIN32
using Stat = struct _stat64;
// Opened by the system itself, so that a list another program holds open
// without sharing it is said to be so, and long names work.
int openForReading(const std::filesystem::path& path, int& error)
{
    const std::wstring name = windows::systemPath(path);
    const DWORD attributes = GetFileAttributesW(name.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        error = EISDIR;
        return -1;
    }
    const HANDLE file = CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error = windows::lastErrno();
        return -1;
    }
    const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(file), _O_RDONLY | _O_BINARY);
    if (fd < 0) {
        error = errno;
        CloseHandle(file);
    }
    return fd;
}
int statOf(int fd, Stat& st)
{
    return ::_fstat64(fd, &st);
}
long long readSome(int fd, char* buffer, std::size_t size)
{
    return ::_read(fd, buffer, static_cast<unsigned>(std::min<std::size_t>(size, 1u << 30)));
}
long long readSomeAt(int fd, std::uint64_t offset, char* buffer, std::size_t size)
{
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD got = 0;
    const auto file = reinterpret_cast<HANDLE>(::_get_osfhandle(fd));
    if (!ReadFile(file, buffer, static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30)), &got, &at)) {
        if (GetLastError() == ERROR_HANDLE_EOF)
            return 0;
        errno = windows::lastErrno();
        return -1;
    }
    return got;
}
int closeFile(int fd)
{
    return ::_close(fd);
}
bool isFolder(const Stat& st)
{
    return (st.st_mode & _S_IFMT) == _S_IFDIR;
}
bool isPlain(const Stat& st)
{
    return (st.st_mode & _S_IFMT) == _S_IFREG;
}
// The system's times (100 ns since 1601) as nanoseconds since 1970.
std::int64_t nanoseconds(const LARGE_INTEGER& t)
{
    return (t.QuadPart - 116'444'736'000'000'000) * 100;
}
// Which file (volume and file index), its size and its times, as the system
// keeps them: the C runtime knows only seconds, and no file index.
std::optional<FileVersion> versionOf(HANDLE file)
{
    BY_HANDLE_FILE_INFORMATION info{};
    FILE_BASIC_INFO basic{};
    if (!GetFileInformationByHandle(file, &info) ||
        !GetFileInformationByHandleEx(file, FileBasicInfo, &basic, sizeof basic)) {
        errno = windows::lastErrno();
        return std::nullopt;
    }
    return FileVersion{info.dwVolumeSerialNumber,
                       (std::uint64_t(info.nFileIndexHigh) << 32) | info.nFileIndexLow,
                       (std::uint64_t(info.nFileSizeHigh) << 32) | info.nFileSizeLow,
                       nanoseconds(basic.LastWriteTime), nanoseconds(basic.ChangeTime)};
}
std::optional<FileVersion> openedVersion(int fd, const Stat&)
{
    return versionOf(reinterpret_cast<HANDLE>(::_get_osfhandle(fd)));
}
std::optional<FileVersion> versionAt(const std::filesystem::path& path)
{
    // Asking for attributes alone, which no other program's sharing refuses.
    const windows::Handle file(CreateFileW(windows::systemPath(path).c_str(), FILE_READ_ATTRIBUTES,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                           nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                                           nullptr));
    return file.valid() ? versionOf(file.get()) : std::nullopt;
}
// Nothing in a Windows folder opens as a socket or an absent device.
std::optional<NotAFile> whatIsThere(const std::filesystem::path&, int)
{
    return std::nullopt;
}
#else
using Stat = struct stat;
int openForReading(const std::filesystem::path& path, int& error)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    error = errno;
    return fd;
}
int statOf(int fd, Stat& st)
{
    return ::fstat(fd, &st);
}
long long readSome(int fd, char* buffer, std::size_t size)
{
    return ::read(fd, buffer, size);
}
long long readSomeAt(int fd, std::uint64_t offset, char* buffer, std::size_t size)
{
    return ::pread(fd, buffer, size, static_cast<off_t>(offset));
}
int closeFile(int fd)
{
    return ::close(fd);
}
bool isFolder(const Stat& st)
{
    return S_ISDIR(st.st_mode);
}
bool isPlain(const Stat& st)
{
    return S_ISREG(st.st_mode);
}
std::int64_t nanoseconds(const timespec& t)
{
    return std::int64_t(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}
FileVersion versionOf(const Stat& st)
{
    return {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino),
            static_cast<std::uint64_t>(st.st_size), nanoseconds(st.st_mtim),
            nanoseconds(st.st_ctim)};
}
std::optional<FileVersion> openedVersion(int, const Stat& st)
{
    return versionOf(st);
}
std::optional<FileVersion> versionAt(const std::filesystem::path& path)
{
    Stat st{};
    if (::stat(path.c_str(), &st) != 0)
        return std::nullopt;
    return versionOf(st);
}
// What refused to open with ENXIO: a socket, or a device with nothing behind it.
std::optional<NotAFile> whatIsThere(const std::filesystem::path& path, int error)
{
    Stat st{};
    if (error != ENXIO || ::stat(path.c_str(), &st) != 0)
        return std::nullopt;
    return S_ISSOCK(st.st_mode) ? NotAFile::Socket : NotAFile::Unplugged;
}
#endif

// Why a file that would not open cannot be read: what it is, where it is
// not a file at all.
ReadError openError(const std::filesystem::path& path, int error)
{
    if (error == EISDIR) // Windows says so before opening
        return {ReadError::Kind::NotAFile, error, NotAFile::Folder};
    if (const auto what = whatIsThere(path, error))
        return {ReadError::Kind::NotAFile, error, *what};
    return {ReadError::Kind::CannotOpen, error};
}

struct Closer
{
    int fd;
    ~Closer() { closeFile(fd); }
};

// `path` opened for reading, and what it is: `fd` is left open only where
// nothing went wrong.
std::optional<ReadError> openWithStatus(const std::filesystem::path& path, int& fd, Stat& st)
{
    int error = 0;
    fd = openForReading(path, error);
    if (fd < 0)
        return openError(path, error);
    if (statOf(fd, st) != 0) {
        const int statError = errno;
        closeFile(fd);
        return ReadError{ReadError::Kind::CannotOpen, statError};
    }
    return std::nullopt;
}

} // namespace

std::optional<FileVersion> fileVersion(const std::filesystem::path& path)
{
    return versionAt(path);
}

std::optional<NotAFile> notAFile(const std::filesystem::path& path)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    switch (status.type()) {
    case fs::file_type::directory: return NotAFile::Folder;
    case fs::file_type::fifo: return NotAFile::Pipe;
    case fs::file_type::socket: return NotAFile::Socket;
    case fs::file_type::character:
    case fs::file_type::block: return NotAFile::Device;
    default: return std::nullopt;
    }
}

std::optional<ReadError> readFile(const std::filesystem::path& path, std::uint64_t limit,
                                  BlockReceiver& receiver, FileVersion* read)
{
    int fd = -1;
    Stat st{};
    if (auto e = openWithStatus(path, fd, st))
        return e;
    const Closer closer{fd};
    if (isFolder(st))
        return ReadError{ReadError::Kind::NotAFile, EISDIR, NotAFile::Folder};
    const bool plain = isPlain(st);
    std::uint64_t size = 0;
    if (plain) {
        size = static_cast<std::uint64_t>(st.st_size);
        if (size > limit)
            return ReadError{ReadError::Kind::TooLarge, 0};
        receiver.expectSize(size);
    }
    // Still the file opened, as it was then: a change meanwhile (another
    // program rewriting it, or renaming another file over it) would leave
    // us with bytes of two versions, or of none that exists.
    const std::optional<FileVersion> opened = plain ? openedVersion(fd, st) : std::nullopt;
    if (plain && !opened)
        return ReadError{ReadError::Kind::CannotOpen, errno};
    const auto unchanged = [&] { return fileVersion(path) == opened; };
    const ReadError changed{ReadError::Kind::Changed, 0};

    std::uint64_t total = 0;
    for (std::size_t block = kFirstBlock;;) {
        const std::span<char> room = receiver.room(block);
        const long long n = readSome(fd, room.data(), std::min(room.size(), block));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return ReadError{ReadError::Kind::ReadFailed, errno};
        }
        if (n == 0) {
            if (plain && (total != size || !unchanged()))
                return changed;
            if (plain && read)
                *read = *opened;
            return std::nullopt;
        }
        total += static_cast<std::uint64_t>(n);
        if (plain && total > size)
            return changed;
        // A stream is cut off here.
        if (total > limit)
            return ReadError{ReadError::Kind::TooLarge, 0};
        // Refused by the receiver: a change meanwhile is the better reason.
        if (!receiver.received(static_cast<std::size_t>(n)))
            return plain && !unchanged() ? std::optional(changed) : std::nullopt;
        // After the first block, a plain file's rest in one go (and one byte
        // more, to see its end); then a byte, so that the end costs no room;
        // a stream as it comes.
        if (total < size)
            block = std::max<std::size_t>(kBlock, static_cast<std::size_t>(size - total) + 1);
        else
            block = total == size ? 1 : kBlock;
    }
}

long long readAt(int fd, std::uint64_t offset, char* buffer, std::size_t size)
{
    for (;;) {
        const long long n = readSomeAt(fd, offset, buffer, size);
        if (n >= 0 || errno != EINTR)
            return n;
    }
}

std::optional<ReadError> useUnchangedFile(const std::filesystem::path& path,
                                          const FileVersion& version,
                                          const std::function<void(int fd)>& use)
{
    int fd = -1;
    Stat st{};
    if (auto e = openWithStatus(path, fd, st))
        return e;
    const Closer closer{fd};
    const ReadError changed{ReadError::Kind::Changed, 0};
    if (!isPlain(st) || openedVersion(fd, st) != version)
        return changed;
    use(fd);
    if (statOf(fd, st) != 0 || openedVersion(fd, st) != version || fileVersion(path) != version)
        return changed;
    return std::nullopt;
}

} // namespace platform
