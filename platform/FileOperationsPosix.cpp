#include "FileOperationsSystem.h"
#include "WriteTarget.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

namespace platform {

namespace fs = std::filesystem;
using Kind = FileError::Kind;

namespace {

constexpr std::size_t kChunk = 1 << 20;

std::optional<FileError> failure(Kind kind, int sysError, const fs::path& path)
{
    return FileError{kind, sysError, path};
}

class Descriptor
{
public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    ~Descriptor() { reset(); }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    void reset(int fd = -1)
    {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = fd;
    }
    // Closes now, for the error a late write-back reports there.
    int close()
    {
        const int fd = fd_;
        fd_ = -1;
        return fd >= 0 && ::close(fd) != 0 ? errno : 0;
    }

private:
    int fd_;
};

// A temporary file that is removed unless it was given its final name.
class TempFile
{
public:
    ~TempFile()
    {
        fd.reset();
        if (!path.empty())
            ::unlink(path.c_str());
    }
    void published() { path.clear(); }
    Descriptor fd;
    fs::path path;
};

fs::path folderOf(const fs::path& path)
{
    const fs::path folder = path.parent_path();
    return folder.empty() ? fs::path(".") : folder;
}

void syncFolder(const fs::path& file)
{
    Descriptor dir(::open(folderOf(file).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() >= 0)
        ::fsync(dir.get());
}

// What a link (or a chain of them) points at; a dangling link's target is
// where the new file goes, and the link stays.
std::optional<fs::path> resolveLinks(fs::path path, int& error)
{
    for (int hops = 0; hops < 40; ++hops) {
        std::error_code ec;
        if (!fs::is_symlink(fs::symlink_status(path, ec)))
            return path;
        const fs::path next = fs::read_symlink(path, ec);
        if (ec) {
            error = ec.value();
            return std::nullopt;
        }
        path = next.is_absolute() ? next : folderOf(path) / next;
    }
    error = ELOOP;
    return std::nullopt;
}

// Why a path cannot be made inside its folder, or nullopt when the folder is there.
std::optional<FileError> checkFolder(const fs::path& target)
{
    struct stat st {};
    if (::stat(folderOf(target).c_str(), &st) != 0)
        return failure(Kind::FolderMissing, errno, target);
    if (!S_ISDIR(st.st_mode))
        return failure(Kind::FolderMissing, ENOTDIR, target);
    return std::nullopt;
}

// The hidden name beside `target` that its new content is written under.
std::string tempPattern(const fs::path& target)
{
    return hiddenNameStart(target, 6).native() + "XXXXXX";
}

bool writeAll(int fd, const char* data, std::size_t size, int& error)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            error = errno;
            return false;
        }
        if (n == 0) {
            error = ENOSPC;
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

// Every byte of `in` from its start into `out`.
std::optional<FileError> copyBytes(int in, const fs::path& source, int out,
                                   const fs::path& target)
{
    std::vector<char> buffer(kChunk);
    for (;;) {
        const ssize_t n = ::read(in, buffer.data(), buffer.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return failure(Kind::ReadFailed, errno, source);
        }
        if (n == 0)
            return std::nullopt;
        int error = 0;
        if (!writeAll(out, buffer.data(), static_cast<std::size_t>(n), error))
            return failure(Kind::WriteFailed, error, target);
    }
}

// Reads the whole of `fd` from its start, in chunks, calling `take` on each.
template <typename Take>
bool readChunks(int fd, std::vector<char>& buffer, Take take)
{
    off_t offset = 0;
    for (;;) {
        const ssize_t n = ::pread(fd, buffer.data(), buffer.size(), offset);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (!take(n))
            return false;
        if (n == 0)
            return true;
        offset += n;
    }
}

// Both descriptors hold the same bytes.
bool sameContent(int a, int b)
{
    std::vector<char> bufferA(kChunk), bufferB(kChunk);
    off_t offset = 0;
    for (;;) {
        ssize_t na, nb;
        do
            na = ::pread(a, bufferA.data(), bufferA.size(), offset);
        while (na < 0 && errno == EINTR);
        do
            nb = ::pread(b, bufferB.data(), bufferB.size(), offset);
        while (nb < 0 && errno == EINTR);
        if (na < 0 || nb < 0 || na != nb)
            return false;
        if (na == 0)
            return true;
        if (std::memcmp(bufferA.data(), bufferB.data(), static_cast<std::size_t>(na)) != 0)
            return false;
        offset += na;
    }
}

struct OpenSource
{
    Descriptor fd;
    struct stat st {};
};

std::optional<FileError> openSource(const fs::path& source, OpenSource& out)
{
    struct stat st {};
    if (::stat(source.c_str(), &st) != 0)
        return failure(Kind::SourceMissing, errno, source);
    // A pipe or device has no end to copy up to, and opening a pipe could hang.
    if (!S_ISREG(st.st_mode))
        return failure(Kind::SourceNotAFile, S_ISDIR(st.st_mode) ? EISDIR : 0, source);
    out.fd.reset(::open(source.c_str(), O_RDONLY | O_CLOEXEC));
    if (out.fd.get() < 0)
        return failure(Kind::SourceMissing, errno, source);
    if (::fstat(out.fd.get(), &out.st) != 0)
        return failure(Kind::ReadFailed, errno, source);
    if (!S_ISREG(out.st.st_mode))
        return failure(Kind::SourceNotAFile, 0, source);
    return std::nullopt;
}

// Writes the source's bytes into a new hidden file beside `target`, with the
// given mode, synced and closed.
std::optional<FileError> writeTempCopy(OpenSource& source, const fs::path& sourcePath,
                                       const fs::path& target, mode_t mode, TempFile& temp)
{
    std::string pattern = tempPattern(target);
    temp.fd.reset(::mkostemp(pattern.data(), O_CLOEXEC));
    if (temp.fd.get() < 0)
        return failure(Kind::CreateFailed, errno, target);
    temp.path = pattern;
    ::fchmod(temp.fd.get(), mode);
    if (auto error = copyBytes(source.fd.get(), sourcePath, temp.fd.get(), target))
        return error;
    if (::fsync(temp.fd.get()) != 0)
        return failure(Kind::WriteFailed, errno, target);
    return std::nullopt;
}

// Writes into a device or pipe in place: nothing there to keep or replace.
std::optional<FileError> copyIntoDevice(OpenSource& source, const fs::path& sourcePath,
                                        const fs::path& target)
{
    Descriptor out(openDirect(target, false));
    if (out.get() < 0)
        return failure(Kind::CreateFailed, errno, target);
    if (auto error = copyBytes(source.fd.get(), sourcePath, out.get(), target))
        return error;
    if (const int error = out.close())
        return failure(Kind::WriteFailed, error, target);
    return std::nullopt;
}

// Gives `temp` the name `to` only if nothing has that name: in one step where
// the file system can, else by a second hard link that cannot replace either.
int publishWithoutReplacing(const fs::path& temp, const fs::path& to)
{
    if (::renameat2(AT_FDCWD, temp.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP)
        return errno;
    if (::link(temp.c_str(), to.c_str()) == 0) {
        if (::unlink(temp.c_str()) == 0)
            return 0;
        const int error = errno;
        ::unlink(to.c_str()); // one name again, the old one
        return error;
    }
    if (errno != EPERM && errno != ENOTSUP && errno != ENOSYS)
        return errno;
    // A file system without hard links either: the last check and the rename
    // are two steps, the best such a file system allows.
    struct stat st {};
    if (::lstat(to.c_str(), &st) == 0)
        return EEXIST;
    return ::rename(temp.c_str(), to.c_str()) == 0 ? 0 : errno;
}

std::optional<FileError> renameError(int error, const fs::path& from, const fs::path& to)
{
    struct stat st {};
    switch (error) {
    case EEXIST:
    case ENOTEMPTY:
        return failure(Kind::TargetExists, error, to);
    case ENOENT:
        if (::lstat(from.c_str(), &st) != 0)
            return failure(Kind::SourceMissing, ENOENT, from);
        return failure(Kind::FolderMissing, ENOENT, to);
    case ENOTDIR:
        return failure(Kind::FolderMissing, ENOTDIR, to);
    default:
        return failure(Kind::ReplaceFailed, error, to);
    }
}

// The move between file systems: copied beside the new name, checked against
// the old file, given the new name without replacing anything, and only then
// is the old name removed. Any failure leaves the old file where it was.
std::optional<FileError> moveAcrossFileSystems(const fs::path& from, const fs::path& to)
{
    OpenSource source;
    if (auto error = openSource(from, source))
        return error;
    if (auto error = checkFolder(to))
        return error;
    TempFile temp;
    // A moved file is the same file: its permissions, owner and times stay.
    if (auto error = writeTempCopy(source, from, to, source.st.st_mode & 07777, temp))
        return error;
    if (::fchown(temp.fd.get(), source.st.st_uid, source.st.st_gid) == 0)
        ::fchmod(temp.fd.get(), source.st.st_mode & 07777);
    const struct timespec times[2] = {source.st.st_atim, source.st.st_mtim};
    ::futimens(temp.fd.get(), times);
    if (!sameContent(source.fd.get(), temp.fd.get()))
        return failure(Kind::VerifyFailed, 0, to);
    if (const int error = temp.fd.close())
        return failure(Kind::WriteFailed, error, to);
    if (const int error = publishWithoutReplacing(temp.path, to))
        return renameError(error, from, to);
    temp.published();
    syncFolder(to);
    if (::unlink(from.c_str()) != 0) {
        const int error = errno;
        // Back to one file under its old name.
        ::unlink(to.c_str());
        return failure(Kind::RemoveFailed, error, from);
    }
    syncFolder(from);
    return std::nullopt;
}

} // namespace

std::optional<FileError> native::copyFile(const fs::path& source, const fs::path& target)
{
    OpenSource in;
    if (auto error = openSource(source, in))
        return error;

    int linkError = 0;
    const std::optional<fs::path> resolved = resolveLinks(target, linkError);
    if (!resolved)
        return failure(Kind::CreateFailed, linkError, target);
    const fs::path& finalTarget = *resolved;
    const std::string name = finalTarget.filename().native();
    if (name.empty() || name == "." || name == "..")
        return failure(Kind::TargetNotAFile, EISDIR, target);

    struct stat st {};
    const bool exists = ::stat(finalTarget.c_str(), &st) == 0;
    if (!exists) {
        if (errno != ENOENT && errno != ENOTDIR)
            return failure(Kind::CreateFailed, errno, target);
        if (auto error = checkFolder(finalTarget))
            return failure(error->kind, error->sysError, target);
    } else {
        // Writing the source over itself would empty it.
        if (st.st_dev == in.st.st_dev && st.st_ino == in.st.st_ino)
            return failure(Kind::SameFile, 0, target);
        if (S_ISDIR(st.st_mode))
            return failure(Kind::TargetNotAFile, EISDIR, target);
        if (!S_ISREG(st.st_mode))
            return copyIntoDevice(in, source, finalTarget);
        // The owner's write bit, not access(): the owner may be anyone, even root.
        if (!(st.st_mode & S_IWUSR))
            return failure(Kind::TargetReadOnly, EACCES, target);
    }

    mode_t mode;
    if (exists) {
        mode = st.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = in.st.st_mode & 0777 & ~mask;
    }
    TempFile temp;
    if (auto error = writeTempCopy(in, source, finalTarget, mode, temp)) {
        if (error->path == finalTarget)
            error->path = target; // named as the user typed it
        return error;
    }
    if (exists && ::fchown(temp.fd.get(), st.st_uid, st.st_gid) == 0)
        ::fchmod(temp.fd.get(), mode); // a change of owner clears set-id bits
    if (const int error = temp.fd.close())
        return failure(Kind::WriteFailed, error, target);
    if (::rename(temp.path.c_str(), finalTarget.c_str()) != 0)
        return failure(Kind::ReplaceFailed, errno, target);
    temp.published();
    syncFolder(finalTarget);
    return std::nullopt;
}

std::optional<FileError> native::renameFile(const fs::path& from, const fs::path& to)
{
    struct stat st {};
    if (::lstat(from.c_str(), &st) != 0)
        return failure(Kind::SourceMissing, errno, from);
    if (S_ISDIR(st.st_mode))
        return failure(Kind::SourceNotAFile, EISDIR, from);

    int error = publishWithoutReplacing(from, to);
    if (error == EXDEV)
        return moveAcrossFileSystems(from, to);
    if (error != 0)
        return renameError(error, from, to);
    syncFolder(to);
    if (folderOf(to) != folderOf(from))
        syncFolder(from);
    return std::nullopt;
}

std::optional<FileError> native::deleteFile(const fs::path& file)
{
    struct stat st {};
    if (::lstat(file.c_str(), &st) != 0)
        return failure(Kind::SourceMissing, errno, file);
    if (S_ISDIR(st.st_mode))
        return failure(Kind::SourceNotAFile, EISDIR, file);
    if (::unlink(file.c_str()) != 0)
        return failure(Kind::RemoveFailed, errno, file);
    syncFolder(file);
    return std::nullopt;
}

} // namespace platform
