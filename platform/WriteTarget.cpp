#include "WriteTarget.h"

#include <cerrno>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace platform {

namespace fs = std::filesystem;

namespace {

#ifdef _WIN32
// UTF-16: the second half of a surrogate pair.
bool continuesCharacter(wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; }
std::size_t nameLimit(const fs::path&) { return 255; }
#else
// UTF-8 (or any other byte): a continuation byte.
bool continuesCharacter(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }
std::size_t nameLimit(const fs::path& folder)
{
    const long limit = ::pathconf(folder.c_str(), _PC_NAME_MAX);
    return limit > 0 ? static_cast<std::size_t>(limit) : 255;
}
#endif

} // namespace

fs::path hiddenNameStart(const fs::path& target, std::size_t ending)
{
    fs::path folder = target.parent_path();
    if (folder.empty())
        folder = ".";
    fs::path::string_type name = target.filename().native();
    const std::size_t limit = nameLimit(folder);
    // The dot before the name and the one after it.
    const std::size_t room = limit > ending + 3 ? limit - ending - 2 : 1;
    if (name.size() > room) {
        std::size_t cut = room;
        while (cut > 1 && continuesCharacter(name[cut]))
            --cut;
        name.resize(cut);
    }
    fs::path::string_type hidden(1, '.');
    hidden += name;
    hidden += '.';
    return folder / hidden;
}

int openDirect(const fs::path& path, bool waitForReader)
{
#ifdef _WIN32
    (void)waitForReader;
    return ::_wopen(path.c_str(), _O_WRONLY | _O_BINARY);
#else
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
#endif
}

} // namespace platform
