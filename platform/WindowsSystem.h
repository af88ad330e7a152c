#pragma once
// What the Windows side of the file layer shares: handles that close
// themselves, paths as the wide-character calls take them, and the system's
// error codes as the errno values the rest of the program reports, so that
// both systems refuse alike and say so in the same words.

#include <filesystem>
#include <string>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace platform::windows {

class Handle
{
public:
    explicit Handle(HANDLE handle = INVALID_HANDLE_VALUE) : handle_(handle) {}
    ~Handle() { reset(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE get() const { return handle_; }
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
    void reset(HANDLE handle = INVALID_HANDLE_VALUE)
    {
        if (valid())
            CloseHandle(handle_);
        handle_ = handle;
    }
    HANDLE release()
    {
        const HANDLE handle = handle_;
        handle_ = INVALID_HANDLE_VALUE;
        return handle;
    }

private:
    HANDLE handle_;
};

// `path` for the wide-character calls: backslashes, and past MAX_PATH the
// absolute \\?\ form, so that long names work without the system's opt-in.
std::wstring systemPath(const std::filesystem::path& path);

// The errno value for a Windows error code; a code with none of its own is
// kept as its negative (kFileInUse for a file another program holds open).
int errnoOf(DWORD code);
inline int lastErrno() { return errnoOf(GetLastError()); }

// True where a failure was another program holding the file open without
// sharing it: a sharing or lock violation, or a file mapped into memory.
bool isInUse(DWORD code);

// kFileInUse where another program holds `path` open so that it cannot be
// removed or replaced, else 0.
int heldOpen(const std::filesystem::path& path);

// True where `path` names a device (NUL, CON) or a named pipe (\\.\pipe\…):
// something written in place, never replaced.
bool isDeviceOrPipe(const std::filesystem::path& path);

// Gives `from` the name `to`, replacing a file there where `replace` is set,
// in one step and on disk when it returns; 0, or the errno value of the failure.
int moveOnto(const std::filesystem::path& from, const std::filesystem::path& to, bool replace);

// A name beside `target` for its new content, with a leading dot as on
// Linux, short enough that a long but valid target still fits.
std::filesystem::path tempNameFor(const std::filesystem::path& target, unsigned random);

} // namespace platform::windows
