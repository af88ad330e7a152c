#pragma once
// Everything the running program shares between its windows, in one place.
// main() owns it; windows and commands get it by reference.

#include "postal/Catalogue.h"
#include "postal/PostalList.h"
#include "settings/SettingCopies.h"
#include "settings/SettingsStore.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

namespace state {

// First and last prefecture index and count of each region, filled by the
// main window when it loads and read by the region dialog.
struct RegionTable
{
    std::array<std::int32_t, postal::kRegionCount> first{};
    std::array<std::int32_t, postal::kRegionCount> last{};
    std::array<std::int32_t, postal::kRegionCount> count{};
};

struct ProgramState
{
    settings::SettingCopies copies;
    settings::SettingsStore* store = nullptr; // never null while windows exist
    std::shared_ptr<const postal::PostalList> table = std::make_shared<postal::PostalList>();
    std::filesystem::path programFolder;
    // Full path the shared file chooser last returned for a file command;
    // empty when none was chosen.
    std::filesystem::path selectedFile;
    std::string nowDate; // "2007/03/05"
    std::string nowTime; // "<AM/PM designator> hh:mm"
    RegionTable regions;
};

} // namespace state
