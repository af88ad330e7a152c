#include "SafeFileWriter.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <string>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <random>
#include <sys/stat.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace postal {

namespace fs = std::filesystem;

SafeFileWriter::~SafeFileWriter() { discard(); }

std::optional<WriteError> SafeFileWriter::error(WriteError::Kind kind, int sysError) const
{
    WriteError e;
    e.kind = kind;
    e.sysError = sysError;
    e.target = target_;
    return e;
}

void SafeFileWriter::discard()
{
    if (fd_ >= 0) {
#ifdef _WIN32
        ::_close(fd_);
#else
        ::close(fd_);
#endif
        fd_ = -1;
    }
    if (!temp_.empty()) {
        std::error_code ec;
        fs::remove(temp_, ec);
        temp_.clear();
    }
}

std::optional<WriteError> SafeFileWriter::open(const fs::path& target)
{
    discard();
    target_ = target;
    writeErrno_ = 0;
    direct_ = false;
    replacing_ = false;

    std::error_code ec;
    fs::path finalTarget = target;
    // Replace what a link points at, not the link itself.
    if (fs::is_symlink(fs::symlink_status(target, ec))) {
        fs::path resolved = fs::weakly_canonical(target, ec);
        if (!ec)
            finalTarget = resolved;
    }
    const fs::file_status st = fs::status(finalTarget, ec);
    bool exists = fs::exists(st);
    if (exists && fs::is_directory(st))
        return error(WriteError::Kind::NotAFile, EISDIR);

#ifndef _WIN32
    if (exists && !fs::is_regular_file(st)) {
        // A device or pipe (/dev/stdout): nothing there to keep or replace.
        fd_ = ::open(finalTarget.c_str(), O_WRONLY | O_CLOEXEC);
        if (fd_ < 0)
            return error(WriteError::Kind::CreateFailed, errno);
        direct_ = true;
        return std::nullopt;
    }
#endif

    fs::path folder = finalTarget.parent_path();
    if (folder.empty())
        folder = ".";
    const fs::file_status folderStatus = fs::status(folder, ec);
    if (!fs::exists(folderStatus))
        return error(WriteError::Kind::FolderMissing, ENOENT);
    if (!fs::is_directory(folderStatus))
        return error(WriteError::Kind::FolderMissing, ENOTDIR);

    // The new file is hidden beside the target until it is complete, so a
    // rename can replace the target in one step on the same file system.
    std::string stem = finalTarget.filename().string();
    stem.insert(stem.begin(), '.');
    stem += '.';
#ifdef _WIN32
    std::random_device random;
    for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
        temp_ = folder / (stem + std::to_string(random()) + ".tmp");
        fd_ = ::_wopen(temp_.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
        if (fd_ < 0 && errno != EEXIST)
            break;
    }
    if (fd_ < 0) {
        const int err = errno;
        temp_.clear();
        return error(WriteError::Kind::CreateFailed, err);
    }
#else
    std::string pattern = (folder / (stem + "XXXXXX")).string();
    fd_ = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd_ < 0)
        return error(WriteError::Kind::CreateFailed, errno);
    temp_ = pattern;
    // Keep the replaced file's permissions; a new file gets the usual ones.
    mode_t mode;
    if (exists) {
        mode = static_cast<mode_t>(st.permissions() & fs::perms::mask);
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    ::fchmod(fd_, mode);
#endif
    target_ = finalTarget;
    replacing_ = exists;
    return std::nullopt;
}

bool SafeFileWriter::write(std::string_view bytes)
{
    if (fd_ < 0 || writeErrno_ != 0)
        return false;
    while (!bytes.empty()) {
#ifdef _WIN32
        const unsigned int chunk = static_cast<unsigned int>(std::min<std::size_t>(bytes.size(), 1u << 30));
        const int n = ::_write(fd_, bytes.data(), chunk);
#else
        const ssize_t n = ::write(fd_, bytes.data(), bytes.size());
#endif
        if (n < 0) {
            if (errno == EINTR)
                continue;
            writeErrno_ = errno;
            return false;
        }
        if (n == 0) {
            writeErrno_ = ENOSPC;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

bool SafeFileWriter::copyFrom(int sourceFd, std::uint64_t offset, std::string_view bytes)
{
    if (fd_ < 0 || writeErrno_ != 0)
        return false;
#ifdef __linux__
    if (!direct_ && sourceFd >= 0) {
        loff_t in = static_cast<loff_t>(offset);
        while (!bytes.empty()) {
            const ssize_t n = ::copy_file_range(sourceFd, &in, fd_, nullptr, bytes.size(), 0);
            if (n <= 0)
                break;  // not supported here, or a real error: write() will tell
            bytes.remove_prefix(static_cast<std::size_t>(n));
        }
    }
#else
    (void)sourceFd;
    (void)offset;
#endif
    return write(bytes);
}

std::optional<WriteError> SafeFileWriter::commit()
{
    if (fd_ < 0)
        return error(WriteError::Kind::WriteFailed, EBADF);
    if (writeErrno_ != 0) {
        const int err = writeErrno_;
        discard();
        return error(WriteError::Kind::WriteFailed, err);
    }
    int err = 0;
#ifdef _WIN32
    if (replacing_ && ::_commit(fd_) != 0)
        err = errno;
    if (::_close(fd_) != 0 && err == 0)
        err = errno;
#else
    if (replacing_ && ::fsync(fd_) != 0)
        err = errno;
    if (::close(fd_) != 0 && err == 0)
        err = errno;
#endif
    fd_ = -1;
    if (err != 0) {
        discard();
        return error(WriteError::Kind::WriteFailed, err);
    }
    if (direct_)
        return std::nullopt;

    std::error_code ec;
    fs::rename(temp_, target_, ec);
    if (ec) {
        discard();
        return error(WriteError::Kind::ReplaceFailed, ec.value());
    }
    temp_.clear();
#ifndef _WIN32
    if (!replacing_)
        return std::nullopt;
    // Make the replacement itself durable.
    fs::path folder = target_.parent_path();
    const int dirFd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
#endif
    return std::nullopt;
}

} // namespace postal
