#pragma once
// Brings a file into memory with ordinary reads, block by block, so that the
// receiver can judge the first block before the rest is read. Nothing is
// mapped: another program changing the file cannot crash us.

#include <cstddef>
#include <cstdint>
#include <filesystem>
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

struct ReadError
{
    enum class Kind {
        CannotOpen,  // missing, a folder, no permission (sysError)
        ReadFailed,  // a read failed part-way (sysError)
        TooLarge,    // beyond the limit, from its size or while reading
    };
    Kind kind{};
    int sysError = 0;
};

// Reads `path` (a file, pipe or device) to its end, or until the receiver
// says stop. More than `limit` bytes is refused as soon as that is known.
std::optional<ReadError> readFile(const std::filesystem::path& path, std::uint64_t limit,
                                  BlockReceiver& receiver);

// Blocks handed to the receiver: the first is small, so a file that is
// plainly not a list is refused before much is read.
inline constexpr std::size_t kFirstBlock = std::size_t(64) << 10;
inline constexpr std::size_t kBlock = std::size_t(1) << 20;

} // namespace platform
