#pragma once
// Copy, rename and delete of the user's list files, never losing one: a copy
// takes its target's place only once complete and on disk, a rename never
// replaces another file, and a move to another file system removes the old
// file only after its copy has been checked.

#include <filesystem>
#include <optional>

namespace platform {

struct FileError
{
    enum class Kind {
        InvalidName,    // empty, or holding a NUL that would cut the name short
        SourceMissing,  // the file to copy, rename or delete is not there
        SourceNotAFile, // it is a folder, a device or a pipe
        SameFile,       // copy: the target is the source itself
        TargetExists,   // rename: something of the new name is already there
        TargetNotAFile, // copy: a folder stands where the file should go
        TargetReadOnly, // copy: the target file is write-protected
        FolderMissing,  // the target's folder is not there (or is a file)
        ReadFailed,     // reading the source failed
        CreateFailed,   // the new file could not be created
        WriteFailed,    // writing, syncing or closing the new file failed
        ReplaceFailed,  // the finished file could not take its name
        VerifyFailed,   // a move's copy does not match the old file
        RemoveFailed,   // the file (or a moved file's old name) could not be removed
    };
    Kind kind{};
    int sysError = 0;           // errno, 0 where none applies
    std::filesystem::path path; // the file the error is about
};

// Copies `source` to `target`, replacing an existing file there. The copy is
// written beside the target and synced before it takes the target's name, so
// a failure leaves an existing target as it was and no partial file. A link
// as target is followed; a device or pipe is written directly. A replaced
// file keeps its permissions; a new one gets the source's, less the umask.
std::optional<FileError> copyFile(const std::filesystem::path& source,
                                  const std::filesystem::path& target);

// Gives `from` the name `to`, refusing when anything of that name exists,
// without a moment in which the other file could be lost. Across file systems
// the file is copied, checked, and only then removed from its old place.
std::optional<FileError> renameFile(const std::filesystem::path& from,
                                    const std::filesystem::path& to);

// Removes the file outright (a link: the link itself).
std::optional<FileError> deleteFile(const std::filesystem::path& file);

} // namespace platform
