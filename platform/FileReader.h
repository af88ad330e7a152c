#pragma once
// Brings a file into memory with ordinary reads, block by block, so that the
// receiver can judge the first block before the rest is read. Nothing is
// mapped: another program changing the file cannot crash us.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>

namespace platform {

class BlockReceiver
{
public:
    virtual ~BlockReceiver() = default;
    // The size of a plain file, before its first block; not called for
    // pipes and devices, whose size is only known at their end.
    virtual void expectSize(std::uint64_t size) = 0;
    // Room for the next block, at least `size` bytes.
    virtual std::span<char> room(std::size_t size) = 0;
    // `count` bytes were read into the room. False: stop reading.
    virtual bool received(std::size_t count) = 0;
};

// What stands where a file was to be read (Unplugged: a device with nothing
// behind it).
enum class NotAFile { Folder, Socket, Unplugged, Pipe, Device };

// What stands at `path` where it is something other than a plain file, found
// without opening it: opening a pipe waits for its writer, and a device such
// as /dev/zero reads on and on. Nothing for a plain file, or where nothing is.
std::optional<NotAFile> notAFile(const std::filesystem::path& path);

struct ReadError
{
    enum class Kind {
        CannotOpen,  // missing, no permission (sysError)
        NotAFile,    // something that cannot be read as a file (what)
        ReadFailed,  // a read failed part-way (sysError)
        TooLarge,    // beyond the limit, from its size or while reading
        Changed,     // the file changed, or another took its name, while it was read
    };
    Kind kind{};
    int sysError = 0;
    NotAFile what{};
};

// Reads `path` (a file, pipe or device) to its end, or until the receiver
// says stop. More than `limit` bytes is refused as soon as that is known.
// What changes with a file's content: which file it is, its size, and its
// modification and change times.
struct FileVersion
{
    std::uint64_t device = 0, inode = 0, size = 0;
    std::int64_t modified = 0, changed = 0;  // nanoseconds
    bool operator==(const FileVersion&) const = default;
};

// A plain file must end at the size it had when opened and be the same
// file, unchanged, when read: otherwise what was read may be half of one
// version and half of another, and is refused. `read`, where given, is set
// to the version of a plain file read whole.
std::optional<ReadError> readFile(const std::filesystem::path& path, std::uint64_t limit,
                                  BlockReceiver& receiver, FileVersion* read = nullptr);

// Calls `use` with the file at `path` open for reading (a descriptor), where
// it is still `version`, and checks afterwards that it still is: what `use`
// took from it is then what an earlier read of that version saw. Changed
// otherwise.
std::optional<ReadError> useUnchangedFile(const std::filesystem::path& path, const FileVersion& version,
                                          const std::function<void(int fd)>& use);

// Up to `size` bytes of the open file `fd` from `offset`, leaving its
// position alone, so that two threads can read parts of one file side by
// side: the count read, 0 at its end, -1 with errno set.
long long readAt(int fd, std::uint64_t offset, char* buffer, std::size_t size);

// The version of the file `path` names now; nullopt when it names none.
std::optional<FileVersion> fileVersion(const std::filesystem::path& path);

// Blocks handed to the receiver: the first is small, so a file that is
// plainly not a list is refused before much is read.
inline constexpr std::size_t kFirstBlock = std::size_t(64) << 10;
inline constexpr std::size_t kBlock = std::size_t(1) << 20;

} // namespace platform
