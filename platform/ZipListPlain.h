#pragma once
// The list read out of an archive laid out plainly, as the postal service
// packs ken_all.zip: one end record with nothing after its comment, the
// central directory right before it, no zip64, the list stored or deflated
// and not encrypted. This needs no libzip, whose loading takes longer than
// the reading itself; any other archive, and any fault, is left to the full
// reader (ZipListRead), which tells what is wrong with it.

#include "FileReader.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace platform {

// True when the list was read and, its CRC matched, handed to `receiver` as
// readListFromZip does; false when the full reader is to read the archive.
bool readPlainZipList(std::string_view archive, BlockReceiver& receiver, std::string& entryName,
                      std::uint64_t limit);
// The same for the archive file at `path`, read whole first (unchanged while
// it was read).
bool readPlainZipListFile(const std::filesystem::path& path, BlockReceiver& receiver,
                          std::string& entryName, std::uint64_t limit);

} // namespace platform
