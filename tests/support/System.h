#pragma once
// What tests do the way each system does it (SystemPosix.cpp, SystemWindows.cpp).
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace testsupport {

class TempDir;

// The system's mark of a file that may not be written: no write bit for
// anyone, or the read-only attribute.
void makeReadOnly(const std::filesystem::path& file);

// A symbolic link at `link` naming `target`; false where none can be made
// (Wine makes none).
bool makeSymlink(const std::filesystem::path& target, const std::filesystem::path& link);

// `file` held open by another program that shares it with nobody, as a
// spreadsheet holds the list it shows. Only Windows has this: elsewhere
// nothing is held.
class HeldOpen
{
public:
    explicit HeldOpen(const std::filesystem::path& file);
    ~HeldOpen();
    HeldOpen(const HeldOpen&) = delete;
    HeldOpen& operator=(const HeldOpen&) = delete;
    bool held() const;

private:
    void* handle_ = nullptr;
};
inline constexpr const char* kNoHolding = "only Windows lets a program hold a file open without sharing it";

// A folder on another file system or volume than the temporary folder,
// made afresh (the caller removes it); empty, with the reason, where there is none.
std::filesystem::path folderElsewhere(std::string& whyNone);

// A device of the test's own in `dir`: "full" (every write fails with ENOSPC,
// as on a full disk) or "null". Whatever the code under test does to it, the
// system's devices stay untouched (Windows' NUL, which nothing can replace,
// stands in for a null device of its own). Empty where none can be made,
// kNoDevice saying why.
std::filesystem::path makeDevice(const TempDir& dir, std::string_view name);
extern const char* const kNoDevice;

// A FIFO at `path`, as mkfifo makes one; false where folders hold none.
bool makeFifo(const std::filesystem::path& path);
inline constexpr const char* kNoFifo = "Windows folders hold no FIFOs";

// While it lives, the shell hands addresses of `scheme` to `commandLine`
// (%1 the address): Windows' per-user URL protocol. Elsewhere the desktop is
// asked through xdg-open, and nothing is registered.
class UrlScheme
{
public:
    UrlScheme(const std::string& scheme, const std::string& commandLine);
    ~UrlScheme();
    UrlScheme(const UrlScheme&) = delete;
    UrlScheme& operator=(const UrlScheme&) = delete;

private:
    std::string scheme_;
};

// Ends the test program, failed, if it still runs `seconds` from now; 0
// cancels. A hang then fails at once instead of lasting for ever.
void endIfHung(unsigned seconds);

// A socket in `dir` that nobody listens on any more, as a server leaves
// behind; empty where none can be made.
std::filesystem::path makeSocket(const TempDir& dir, std::string_view name);
inline constexpr const char* kNoSocket = "only Linux leaves sockets in folders here";

// While `refused`, no new thread can be started, as when there is no memory
// for its stack (pthread_create stands in for the C library's, in programs
// that call this); false where nothing can refuse them.
bool refuseThreads(bool refused);
inline constexpr const char* kNoThreadRefusal = "nothing stands in for Windows' thread start";

// What `operation` returns, run in a child process whose files may not grow
// past `bytes` (SIGXFSZ ignored, as the export does, so a write fails
// part-way); nullopt where the system has no such limit.
using Outcome = std::pair<int, int>;
std::optional<Outcome> underAFileSizeLimit(long bytes, const std::function<Outcome()>& operation);
inline constexpr const char* kNoSizeLimit = "Windows has no file-size limit to set";

struct ProgramRun
{
    int status = -1;  // the exit status; 128 + the signal where one ended it
    std::string out, err;
};

// Runs `program` with `args` in `folder` with `environment` ("NAME=value")
// added, no input, and waits for it.
ProgramRun runProgram(const std::filesystem::path& program, const std::vector<std::string>& args,
                      const std::filesystem::path& folder, const std::vector<std::string>& environment = {});

} // namespace testsupport
