#pragma once
// The few file-system facts the program asks of its platform.

#include <filesystem>
#include <string>
#include <vector>

namespace platform {

// A plain file: not a folder or device; on Windows also not hidden or system.
bool isPlainFile(const std::filesystem::path& path);

// The folder that holds the running program, without a trailing separator.
std::filesystem::path programFolder();

// Whether `folder` is one the user keeps files in: it can be written, and it
// is not where the system installs programs (/usr, /opt ..., Program Files),
// which even an administrator should not fill with lists. A program
// unzipped into a folder of its own passes; an installed one does not.
bool isUsersOwnFolder(const std::filesystem::path& folder);

struct FoundFile
{
    std::filesystem::path path;  // the file to read; the asked-for name when none was found
    bool found = false;
    // Other plain files whose names differ from the chosen one only in case.
    std::vector<std::filesystem::path> alsoMatching;
    // Found in place of the list: the archive the list is to be read out of.
    bool archive = false;
};

// The plain file `folder`/`name`. Where there is none, a plain file in
// `folder` whose name differs only in case (the published zip holds
// KEN_ALL.CSV, the default name is ken_all.csv); of several such, the first
// in byte order (KEN_ALL.CSV before Ken_All.csv before ken_all.csv).
FoundFile findFileIgnoringCase(const std::filesystem::path& folder, const std::filesystem::path& name);

// The archive the postal service publishes the list in.
inline constexpr const char* kPublishedArchive = "ken_all.zip";

// The list `folder`/`name`, as findFileIgnoringCase finds it. Where there is
// none, but the folder holds ken_all.zip (in any case, found the same way),
// that archive, marked as one: a list file, where present, is preferred.
// Otherwise not found, with the asked-for name.
FoundFile findList(const std::filesystem::path& folder, const std::filesystem::path& name);

// The business-office list and the archive it is published in.
inline constexpr const char* kBusinessList = "JIGYOSYO.CSV";
inline constexpr const char* kBusinessArchive = "jigyosyo.zip";

// The business-office list in `folder`: JIGYOSYO.CSV, else jigyosyo.zip
// marked as an archive, each in any case, as findList finds its list.
FoundFile findBusinessList(const std::filesystem::path& folder);

// Japanese, for the case where several names matched: which one is read.
std::string caseChoiceNote(const FoundFile& found);

} // namespace platform
