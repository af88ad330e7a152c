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
    const HANDLE file = CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
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
int statOf(int fd, Stat& st) { return ::_fstat64(fd, &st); }
long long readSome(int fd, char* buffer, std::size_t size)
{
    return ::_read(fd, buffer, static_cast<unsigned>(std::min<std::size_t>(size, 1u << 30)));
}
int closeFile(int fd) { return ::_close(fd); }
bool isFolder(const Stat& st) { return (st.st_mode & _S_IFMT) == _S_IFDIR; }
bool isPlain(const Stat& st) { return (st.st_mode & _S_IFMT) == _S_IFREG; }
#else
using Stat = struct stat;
int openForReading(const std::filesystem::path& path, int& error)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    error = errno;
    return fd;
}
int statOf(int fd, Stat& st) { return ::fstat(fd, &st); }
long long readSome(int fd, char* buffer, std::size_t size) { return ::read(fd, buffer, size); }
int closeFile(int fd) { return ::close(fd); }
bool isFolder(const Stat& st) { return S_ISDIR(st.st_mode); }
bool isPlain(const Stat& st) { return S_ISREG(st.st_mode); }
#endif

} // namespace

std::optional<ReadError> readFile(const std::filesystem::path& path, std::uint64_t limit,
                                  BlockReceiver& receiver)
{
    int openError = 0;
    const int fd = openForReading(path, openError);
    if (fd < 0)
        return ReadError{ReadError::Kind::CannotOpen, openError};
    struct Closer
    {
        int fd;
        ~Closer() { closeFile(fd); }
    } closer{fd};

    Stat st{};
    if (statOf(fd, st) != 0)
        return ReadError{ReadError::Kind::CannotOpen, errno};
    if (isFolder(st))
        return ReadError{ReadError::Kind::CannotOpen, EISDIR};
    std::uint64_t size = 0;
    if (isPlain(st)) {
        size = static_cast<std::uint64_t>(st.st_size);
        if (size > limit)
            return ReadError{ReadError::Kind::TooLarge, 0};
        receiver.expectSize(size);
    }

    std::uint64_t total = 0;
    for (std::size_t block = kFirstBlock;;) {
        const std::span<char> room = receiver.room(block);
        const long long n = readSome(fd, room.data(), std::min(room.size(), block));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return ReadError{ReadError::Kind::ReadFailed, errno};
        }
        if (n == 0)
            return std::nullopt;
        total += static_cast<std::uint64_t>(n);
        // A file that grows while it is read, or a stream, is cut off here.
        if (total > limit)
            return ReadError{ReadError::Kind::TooLarge, 0};
        if (!receiver.received(static_cast<std::size_t>(n)))
            return std::nullopt;
        // After the first block, a plain file's rest in one go (and one byte
        // more, to see its end); then a byte, so that the end costs no room;
        // a stream, or a file that grew, as it comes.
        if (total < size)
            block = std::max<std::size_t>(kBlock, static_cast<std::size_t>(size - total) + 1);
        else
            block = total == size ? 1 : kBlock;
    }
}

} // namespace platform
