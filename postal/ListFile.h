#pragma once
// The list read from wherever it was found: a CSV file, or the list inside
// the zip archive the postal service publishes (ken_all.zip).

#include "BusinessList.h"
#include "PostalList.h"

#include "platform/FileSystem.h"
#include "platform/ZipList.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

namespace postal {

struct ListFileLoad
{
    std::shared_ptr<const PostalList> list;      // set on success
    std::optional<LoadError> error;              // the list itself was refused
    std::optional<platform::ZipError> zipError;  // the archive was refused
    std::filesystem::path file;                  // the file read
    std::string entry;  // the list's name inside the archive; empty for a CSV file
    // loadAnyListFile: set in place of `list` when the file is the business list.
    std::shared_ptr<const BusinessList> business;
    explicit operator bool() const { return list != nullptr || business != nullptr; }

    // Why the list was refused: the archive's problem or the list's.
    std::string problem() const;
};

// Reads the list `found` names: out of the archive when it is one (found in
// place of the list, named .zip in any case, or beginning like a zip),
// otherwise as a CSV file. Either way the whole list is checked.
ListFileLoad loadListFile(const platform::FoundFile& found);

// As loadListFile, for either list: its first line tells which (layoutOf),
// and a file of neither layout is refused naming both.
ListFileLoad loadAnyListFile(const platform::FoundFile& found);

// The layout of the plain file at `path`, from its first block alone;
// Nationwide where it is no plain file or cannot be read (the reading then
// says why).
Layout plainFileLayout(const std::filesystem::path& path);

} // namespace postal
