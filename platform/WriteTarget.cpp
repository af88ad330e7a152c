#include "WriteTarget.h"

#include <cerrno>

#ifdef _WIN32
#include "WindowsSystem.h"

#include <fcntl.h>
#include <io.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace platform {

namespace fs = std::filesystem;

#ifdef _WIN32

int openDirect(const fs::path& path, bool)
{
    // A device, or a named pipe's end: opened at once or refused, never waited on.
    const HANDLE file = CreateFileW(windows::systemPath(path).c_str(), GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        // Every end of the pipe taken: as good as nobody reading it.
        errno = code == ERROR_PIPE_BUSY ? ENXIO : windows::errnoOf(code);
        return -1;
    }
    const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(file), _O_WRONLY | _O_BINARY);
    if (fd < 0) {
        const int error = errno;
        CloseHandle(file);
        errno = error;
    }
    return fd;
}

#else

namespace {

// A byte that continues a UTF-8 character (or any other byte).
bool continuesCharacter(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

std::size_t nameLimit(const fs::path& folder)
{
    const long limit = ::pathconf(folder.c_str(), _PC_NAME_MAX);
    return limit > 0 ? static_cast<std::size_t>(limit) : 255;
}

} // namespace

fs::path hiddenNameStart(const fs::path& target, std::size_t ending)
{
    fs::path folder = target.parent_path();
    if (folder.empty())
        folder = ".";
    std::string name = target.filename().native();
    const std::size_t limit = nameLimit(folder);
    // The dot before the name and the one after it.
    const std::size_t room = limit > ending + 3 ? limit - ending - 2 : 1;
    if (name.size() > room) {
        std::size_t cut = room;
        while (cut > 1 && continuesCharacter(name[cut]))
            --cut;
        name.resize(cut);
    }
    return folder / ("." + name + ".");
}

int openDirect(const fs::path& path, bool waitForReader)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | (waitForReader ? 0 : O_NONBLOCK));
    if (fd < 0 || waitForReader)
        return fd;
    // Once open, written like any file: waiting while the reader catches up.
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags == -1 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == -1) {
        const int error = errno;
        ::close(fd);
        errno = error;
        return -1;
    }
    return fd;
}

#endif

} // namespace platform
