#pragma once
// The postal-code list read straight out of the zip archive the postal
// service publishes (ken_all.zip), without unzipping it first.

#include "FileReader.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace platform {

// The largest list the program holds; a larger entry is refused before
// anything is inflated.
inline constexpr std::uint64_t kMaxListBytes = std::uint64_t(1) << 30;

struct ZipListBytes
{
    std::string entryName;  // as stored in the archive, folders included
    std::string bytes;      // the list exactly as it was packed
};

struct ZipError
{
    enum class Kind {
        CannotOpen,          // missing, a folder, unreadable
        NotAZip,             // some other kind of file, whatever its name
        Damaged,             // cut short or inconsistent
        CrcMismatch,         // the list's bytes differ from what was packed
        NoList,
        TwoLists,
        Encrypted,
        TooLarge,            // declared larger than kMaxListBytes
        LargerThanDeclared,  // inflates past its declared size
        Unsupported,         // a compression method we cannot inflate
        ReaderMissing,       // the program's zip reader could not be loaded
        Changed,             // the archive changed while it was read
    };
    Kind kind;
    std::filesystem::path archive{};
    std::string entry{};       // the list's name in the archive, where known
    std::string otherEntry{};  // TwoLists: the second one
    std::uint64_t size = 0;  // TooLarge, LargerThanDeclared: the declared size
    int method = 0;          // Unsupported: the zip compression method
    int sysError = 0;        // CannotOpen, Damaged: errno, where there was one
    std::string detail{};    // ReaderMissing: the reader's file and the loader's reason

    // One or two Japanese sentences naming the archive and, where known, the entry.
    std::string message() const;
};

// True for the names a list has inside an archive: KEN_ALL.CSV,
// utf_ken_all.csv or JIGYOSYO.CSV, in any folder, whatever the case.
bool isListEntryName(std::string_view name);

// An entry's name as messages show it: as stored where it is UTF-8 (or
// ASCII), otherwise its last part only.
std::string shownEntryName(std::string_view name);

// True where the file should be read as an archive: its name ends in .zip
// (any case) or it begins with a zip signature.
bool looksLikeZip(const std::filesystem::path& path);

// The one list inside the archive at `path`, checked against its CRC, going
// straight to `receiver`: its size, room for all of it, then, once its CRC
// has matched, all of it as one block. `entryName` is the list's name in the
// archive, where one was found. Memory stays within the archive's size plus
// the declared size of the list, and no more than `limit` bytes are ever
// inflated. An archive that changes while it is read is refused; no memory
// throws std::bad_alloc.
std::optional<ZipError> readListFromZip(const std::filesystem::path& path, BlockReceiver& receiver,
                                        std::string& entryName, std::uint64_t limit = kMaxListBytes);

// The same for an archive held in memory (a download); `shownAs` names it in
// messages. Nothing touches the disk.
std::optional<ZipError> readListFromZipBytes(std::string_view archive, const std::filesystem::path& shownAs,
                                             BlockReceiver& receiver, std::string& entryName,
                                             std::uint64_t limit = kMaxListBytes);

// Keeps the list in a string of its own.
class StringReceiver : public BlockReceiver
{
public:
    explicit StringReceiver(std::string& bytes) : bytes_(bytes) {}
    void expectSize(std::uint64_t) override {}
    std::span<char> room(std::size_t size) override
    {
        bytes_.resize(size);
        return {bytes_.data(), bytes_.size()};
    }
    bool received(std::size_t count) override
    {
        bytes_.resize(count);
        return true;
    }

private:
    std::string& bytes_;
};

// The two above, the list in a string.
inline std::variant<ZipListBytes, ZipError> readListFromZip(const std::filesystem::path& path,
                                                            std::uint64_t limit = kMaxListBytes)
{
    ZipListBytes result;
    StringReceiver receiver(result.bytes);
    if (auto error = readListFromZip(path, receiver, result.entryName, limit))
        return *std::move(error);
    return result;
}

inline std::variant<ZipListBytes, ZipError> readListFromZipBytes(std::string_view archive,
                                                                 const std::filesystem::path& shownAs,
                                                                 std::uint64_t limit = kMaxListBytes)
{
    ZipListBytes result;
    StringReceiver receiver(result.bytes);
    if (auto error = readListFromZipBytes(archive, shownAs, receiver, result.entryName, limit))
        return *std::move(error);
    return result;
}

} // namespace platform
