#pragma once
// What a fetch of the published list decides without the network: what to
// ask the server, and whether and where a downloaded archive replaces the
// list. Nothing is replaced before the whole download has been checked.

#include "postal/BusinessList.h"
#include "postal/PostalList.h"
#include "state/Settings.h"

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace state {

// The two lists the postal service publishes, each fetched from its own
// address with its own validators. The business list is only ever exported:
// it is stored in the folder, never loaded as the program's list.
enum class FetchedList
{
    Nationwide,
    Business,
};

// The last fetch's validators, sent so that an unchanged edition is not
// fetched again; empty where the file that fetch wrote has changed or gone
// since (the folder changed, an export saved over it).
struct ListValidators
{
    std::string etag;
    std::string lastModified;
};
ListValidators fetchValidators(const SettingCopies& copies,
                               FetchedList which = FetchedList::Nationwide);

// Where `which` is fetched from.
const std::string& fetchUrl(const SettingCopies& copies, FetchedList which);

// Where a fetched list goes: the list start-up reads in FolderName, kept in
// its form (an unzipped list gets the list's bytes, an archive the
// archive's); ken_all.zip where the folder holds none.
struct FetchTarget
{
    std::filesystem::path file;
    bool archive = true;
};
FetchTarget fetchTarget(const SettingCopies& copies, FetchedList which = FetchedList::Nationwide);

// Whether the folder holds the business list, so that a fetch refreshes it.
bool holdsBusinessList(const SettingCopies& copies);

// Where the list will go, checked before anything is asked of the server:
// the program's own folder is made where it is missing; any other folder
// must be there (a drive not plugged in is not made on the disk under it).
// Empty where the folder can take the list, else why not, for the user.
std::string prepareFetchFolder(const SettingCopies& copies,
                               const std::filesystem::path& programFolder);

struct FetchInstall
{
    enum class Outcome
    {
        Stored,
        Refused,   // the download is no list: `problem` says why
        NotStored, // the list was good but could not be written
    };
    Outcome outcome = Outcome::Refused;
    std::string problem;
    std::shared_ptr<const postal::PostalList> list; // Stored: the new list, checked
    std::size_t businessRows = 0;                   // Stored, the business list: its lines
    std::filesystem::path file;
    std::string entry;
};

// Checks `archive` (the download, named `shownAs` in messages) as the list
// reader checks ken_all.zip, then replaces the list atomically. Once it is
// stored, the validators that came with it are remembered for the next fetch.
FetchInstall installFetchedList(std::string_view archive, const std::string& shownAs,
                                const ListValidators& received, Settings& settings,
                                FetchedList which = FetchedList::Nationwide);

} // namespace state
