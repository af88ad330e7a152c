#pragma once
// Replaces a file only once its new content is complete and on disk.

#include "Export.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string_view>

namespace postal {

class SafeFileWriter : public ByteSink
{
public:
    SafeFileWriter() = default;
    ~SafeFileWriter() override;  // discards an uncommitted temporary file
    SafeFileWriter(const SafeFileWriter&) = delete;
    SafeFileWriter& operator=(const SafeFileWriter&) = delete;

    // Creates the temporary file beside `target` (or opens a device directly).
    std::optional<WriteError> open(const std::filesystem::path& target);
    bool write(std::string_view bytes) override;
    // Copies `length` bytes at `offset` of the open file `sourceFd`, inside
    // the kernel where it can; `bytes` are the same bytes, written the
    // ordinary way where it cannot.
    bool copyFrom(int sourceFd, std::uint64_t offset, std::string_view bytes);
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
    bool direct_ = false;    // a device: written in place, nothing to replace
    bool replacing_ = false;  // an existing file will be replaced
    int writeErrno_ = 0;
};

} // namespace postal
