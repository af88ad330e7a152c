#pragma once
// Replaces a file only once its new content is complete and on disk.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// Receives bytes; a file, or a buffer in tests.
class ByteSink
{
public:
    virtual ~ByteSink() = default;
    // False when the bytes could not be taken; the writer stops there.
    virtual bool write(std::string_view bytes) = 0;
};

struct WriteError
{
    enum class Kind {
        FolderMissing,  // the target's folder does not exist
        NotAFolder,     // a part of the folder path is a file (`folder`)
        NotAFile,       // the target is a folder or something else that is not a file
        ReadOnly,       // the target's owner may not write it
        CreateFailed,   // the temporary file could not be made beside the target
        WriteFailed,    // writing, flushing or closing failed (disk full, size limit ...)
        ReplaceFailed,  // the finished file could not take the target's place
    };
    Kind kind{};
    int sysError = 0;  // errno
    std::filesystem::path target;
    std::filesystem::path folder;  // for FolderMissing and NotAFolder

    // Japanese, e.g. "「/tmp/out.csv」 を書き込めません（ディスクの空き容量が足りません）。"
    std::string reason() const;
};

// Japanese text for an errno, e.g. ENOSPC -> "ディスクの空き容量が足りません".
std::string systemErrorText(int sysError);

// Beyond errno, on Windows: a system error code that has no errno of its own
// is kept, as its negative, for the message; this one is a file that another
// program holds open without sharing it (ERROR_SHARING_VIOLATION).
inline constexpr int kFileInUse = -32;

// A path as UTF-8 text, whatever the platform's own code page.
std::string pathText(const std::filesystem::path& path);

// A pipe with nobody reading it yet: waited for, or refused at once.
enum class PipeReader { Wait, Refuse };

class SafeFileWriter : public ByteSink
{
public:
    SafeFileWriter() = default;
    ~SafeFileWriter() override;  // discards an uncommitted temporary file
    SafeFileWriter(const SafeFileWriter&) = delete;
    SafeFileWriter& operator=(const SafeFileWriter&) = delete;

    // Creates the temporary file beside `target`. A link is followed, even a
    // dangling one, and the file it names is written. A pipe, a device or
    // an already open descriptor (/dev/stdout) is written directly; a pipe
    // nobody reads is waited for only where the caller says so, as a shell's
    // redirection waits (a window must never hang on one).
    std::optional<WriteError> open(const std::filesystem::path& target,
                                   PipeReader pipeReader = PipeReader::Refuse);
    bool write(std::string_view bytes) override;
    // Puts the new file in the target's place. Before replacing an existing
    // file the new one is synced to disk, so a crash leaves the old or the
    // new content, never an empty file; a new name has nothing to lose and
    // skips the wait.
    std::optional<WriteError> commit();

private:
    void discard();
    std::optional<WriteError> error(WriteError::Kind kind, int sysError) const;

    std::filesystem::path target_;
    std::filesystem::path temp_;
    int fd_ = -1;
    bool direct_ = false;     // a device, pipe or open descriptor: nothing to replace
    bool replacing_ = false;  // an existing file will be replaced
    int writeErrno_ = 0;
};

// True where open() makes a new file beside `target` and renames it over the
// target when committed: a plain file or a free name, not a link, device,
// pipe or descriptor, which are written in place.
bool isPlainFileTarget(const std::filesystem::path& target);

// Makes SIGINT, SIGTERM and SIGHUP remove an unfinished temporary file
// before they end the process. For one-shot programs.
void removeTemporaryFilesOnSignals();

} // namespace platform
