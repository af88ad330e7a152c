#include "SafeFileWriter.h"

#include "WriteTarget.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>

#ifdef _WIN32
#include "WindowsSystem.h"

#include <fcntl.h>
#include <io.h>
#include <random>
#include <sys/stat.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace platform {

namespace fs = std::filesystem;

namespace {

#ifdef _WIN32
int closeFd(int fd) { return ::_close(fd); }
int syncFd(int fd) { return ::_commit(fd); }
// WriteFile itself: the C runtime takes a short write (a disk filling up, as
// Wine reports it) for a failure with no reason; here it is a count, and the
// next write fails with the system's reason (a full disk).
long long writeSome(int fd, const char* data, std::size_t size)
{
    DWORD written = 0;
    if (!WriteFile(reinterpret_cast<HANDLE>(::_get_osfhandle(fd)), data,
                   static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30)), &written, nullptr)) {
        errno = windows::lastErrno();
        return -1;
    }
    return written;
}
// In one step and on disk when it returns; a target held open by another
// program is said to be so.
int replaceFile(const fs::path& temp, const fs::path& target, bool replacing)
{
    return windows::moveOnto(temp, target, replacing);
}
void removeTemp(const fs::path& temp) { DeleteFileW(windows::systemPath(temp).c_str()); }
// NUL or a named pipe, which the C runtime need not see as what they are.
bool deviceOrPipe(const fs::path& path) { return windows::isDeviceOrPipe(path); }
#else
int closeFd(int fd) { return ::close(fd); }
int syncFd(int fd) { return ::fsync(fd); }
long long writeSome(int fd, const char* data, std::size_t size) { return ::write(fd, data, size); }
int replaceFile(const fs::path& temp, const fs::path& target, bool)
{
    std::error_code ec;
    fs::rename(temp, target, ec);
    return ec.value();
}
void removeTemp(const fs::path& temp)
{
    std::error_code ec;
    fs::remove(temp, ec);
}
bool deviceOrPipe(const fs::path&) { return false; }  // its status says so
#endif

// Temporary files a signal must remove: the path is written before the slot
// is marked used, so the handler only ever sees whole names.
struct TempSlot
{
    std::atomic<bool> used{false};
    fs::path::value_type path[4096];
};
TempSlot tempSlots[4];

TempSlot* claimSlot(const fs::path& temp)
{
    const fs::path::string_type& text = temp.native();
    if (text.size() >= sizeof(TempSlot::path) / sizeof(fs::path::value_type))
        return nullptr;
    for (TempSlot& slot : tempSlots) {
        if (slot.used.load())
            continue;
        std::copy(text.c_str(), text.c_str() + text.size() + 1, slot.path);
        slot.used.store(true);
        return &slot;
    }
    return nullptr;
}

void releaseSlot(const fs::path& temp)
{
    const fs::path::string_type& text = temp.native();
    for (TempSlot& slot : tempSlots)
        if (slot.used.load() && text == slot.path)
            slot.used.store(false);
}

extern "C" void removeTempsAndDie(int sig)
{
    for (TempSlot& slot : tempSlots)
        if (slot.used.load())
#ifdef _WIN32
            ::_wunlink(slot.path);
#else
            ::unlink(slot.path);
#endif
    std::signal(sig, SIG_DFL);
    std::raise(sig);
}

// The descriptor that names such as /dev/stdout or /proc/self/fd/1 stand for.
std::optional<int> descriptorName(const fs::path& path)
{
    const std::u8string generic = path.generic_u8string();
    const std::string text(generic.begin(), generic.end());
    if (text == "/dev/stdout")
        return 1;
    if (text == "/dev/stderr")
        return 2;
    for (const char* prefix : {"/dev/fd/", "/proc/self/fd/"}) {
        const std::size_t n = std::strlen(prefix);
        if (text.size() > n && text.compare(0, n, prefix) == 0 &&
            text.find_first_not_of("0123456789", n) == std::string::npos && text.size() - n < 9)
            return std::stoi(text.substr(n));
    }
    return std::nullopt;
}

} // namespace

void removeTemporaryFilesOnSignals()
{
#ifdef _WIN32
    std::signal(SIGINT, removeTempsAndDie);
    std::signal(SIGTERM, removeTempsAndDie);
#else
    for (int sig : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction old{};
        ::sigaction(sig, nullptr, &old);
        if (old.sa_handler == SIG_IGN)  // nohup and the like: stay ignored
            continue;
        struct sigaction action{};
        action.sa_handler = removeTempsAndDie;
        sigemptyset(&action.sa_mask);
        ::sigaction(sig, &action, nullptr);
    }
#endif
}

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
        closeFd(fd_);
        fd_ = -1;
    }
    if (!temp_.empty()) {
        removeTemp(temp_);
        releaseSlot(temp_);
        temp_.clear();
    }
}

std::optional<WriteError> SafeFileWriter::open(const fs::path& target, PipeReader pipeReader)
{
    discard();
    target_ = target;
    writeErrno_ = 0;
    direct_ = false;
    replacing_ = false;

    // Follow links to the file they name, which may not exist yet.
    std::error_code ec;
    fs::path finalTarget = target;
    fs::file_status st;
    for (int hops = 0;; ++hops) {
        if (const auto fd = descriptorName(finalTarget)) {
#ifdef _WIN32
            fd_ = ::_dup(*fd);
#else
            fd_ = ::fcntl(*fd, F_DUPFD_CLOEXEC, 3);
#endif
            if (fd_ < 0)
                return error(WriteError::Kind::CreateFailed, errno);
            direct_ = true;
            return std::nullopt;
        }
        st = fs::symlink_status(finalTarget, ec);
        if (!fs::is_symlink(st))
            break;
        if (hops == 40)
            return error(WriteError::Kind::CreateFailed, ELOOP);
        const fs::path next = fs::read_symlink(finalTarget, ec);
        if (ec)
            return error(WriteError::Kind::CreateFailed, ec.value());
        finalTarget = next.is_absolute() ? next : finalTarget.parent_path() / next;
    }
    const bool exists = fs::exists(st);
    if (exists && fs::is_directory(st))
        return error(WriteError::Kind::NotAFile, EISDIR);
    if ((exists && !fs::is_regular_file(st)) || deviceOrPipe(finalTarget)) {
        // A device or pipe: nothing there to keep or replace.
        fd_ = openDirect(finalTarget, pipeReader == PipeReader::Wait);
        if (fd_ < 0)
            return error(WriteError::Kind::WriteFailed, errno);
        direct_ = true;
        return std::nullopt;
    }
    // The program this replaces refused to overwrite a read-only file; so
    // do we, whoever runs us, so the owner's bits decide and not access().
    if (exists && (st.permissions() & fs::perms::owner_write) == fs::perms::none) {
        target_ = finalTarget;
        return error(WriteError::Kind::ReadOnly, EACCES);
    }

    fs::path folder = finalTarget.parent_path();
    if (folder.empty())
        folder = ".";
    const fs::file_status folderStatus = fs::status(folder, ec);
    if (!fs::is_directory(folderStatus)) {
        // Name the part of the path that is in the way: a file, or nothing.
        fs::path part = folder;
        while (!fs::exists(fs::status(part, ec)) && part.has_relative_path() && part.has_parent_path() &&
               part.parent_path() != part)
            part = part.parent_path();
        const fs::file_status partStatus = fs::status(part, ec);
        auto e = error(WriteError::Kind::FolderMissing, ENOENT);
        e->folder = folder;
        if (fs::exists(partStatus) && !fs::is_directory(partStatus)) {
            e->kind = WriteError::Kind::NotAFolder;
            e->sysError = ENOTDIR;
            e->folder = part;
        }
        return e;
    }

    // The new file is hidden beside the target until it is complete, so a
    // rename can replace the target in one step on the same file system.
#ifdef _WIN32
    // Another program holding the target would refuse its replacement: said
    // now, before anything is written.
    if (const int inUse = exists ? windows::heldOpen(finalTarget) : 0)
        return error(WriteError::Kind::ReplaceFailed, inUse);
    std::random_device random;
    int err = EEXIST;
    for (int attempt = 0; attempt < 100 && fd_ < 0 && err == EEXIST; ++attempt) {
        temp_ = windows::tempNameFor(finalTarget, random());
        const HANDLE file = CreateFileW(windows::systemPath(temp_).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
        err = file == INVALID_HANDLE_VALUE ? windows::lastErrno() : 0;
        if (file != INVALID_HANDLE_VALUE)
            fd_ = ::_open_osfhandle(reinterpret_cast<intptr_t>(file), _O_WRONLY | _O_BINARY);
    }
    if (fd_ < 0) {
        temp_.clear();
        return error(WriteError::Kind::CreateFailed, err);
    }
    claimSlot(temp_);
#else
    fs::path patternPath = hiddenNameStart(finalTarget, 6);
    patternPath += "XXXXXX";
    std::string pattern = patternPath.native();
    // Signals are held while the name comes into being, so that it is
    // always known to the handler that removes it.
    sigset_t all, old;
    sigfillset(&all);
    ::pthread_sigmask(SIG_BLOCK, &all, &old);
    fd_ = ::mkostemp(pattern.data(), O_CLOEXEC);
    const int err = errno;
    if (fd_ >= 0) {
        temp_ = pattern;
        claimSlot(temp_);
    }
    ::pthread_sigmask(SIG_SETMASK, &old, nullptr);
    if (fd_ < 0)
        return error(WriteError::Kind::CreateFailed, err);
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
    // A replaced file keeps its owner where we may give it (root); the mode
    // again, as a change of owner clears set-id bits.
    struct stat replaced {};
    if (exists && ::stat(finalTarget.c_str(), &replaced) == 0 &&
        ::fchown(fd_, replaced.st_uid, replaced.st_gid) == 0)
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
        const long long n = writeSome(fd_, bytes.data(), bytes.size());
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

bool isPlainFileTarget(const fs::path& target)
{
    std::error_code ec;
    const fs::file_status st = fs::symlink_status(target, ec);
    if (descriptorName(target) || deviceOrPipe(target))
        return false;
    return !fs::exists(st) || fs::is_regular_file(st);
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
    if (replacing_ && syncFd(fd_) != 0)
        err = errno;
    if (closeFd(fd_) != 0 && err == 0)
        err = errno;
    fd_ = -1;
    if (err != 0) {
        discard();
        return error(WriteError::Kind::WriteFailed, err);
    }
    if (direct_)
        return std::nullopt;

    if (const int err = replaceFile(temp_, target_, replacing_)) {
        discard();
        return error(WriteError::Kind::ReplaceFailed, err);
    }
    releaseSlot(temp_);
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

} // namespace platform
