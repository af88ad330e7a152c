#pragma once
// What the running program shares between its windows: the settings (copies
// and store), the loaded list, the program's folder and the file the shared
// chooser last returned. main() owns it; windows get it by reference.

#include "postal/PostalList.h"
#include "state/Settings.h"

#include <filesystem>
#include <memory>
#include <string>
#include <utility>

namespace state {

class ProgramState
{
public:
    ProgramState(settings::SettingsStore& store, SettingCopies copies,
                 std::filesystem::path programFolder)
        : settings_(store, std::move(copies)), programFolder_(std::move(programFolder))
    {
    }

    Settings& settings() { return settings_; }
    const Settings& settings() const { return settings_; }

    // The list loaded last; empty when none was found or it was refused.
    const postal::PostalList& list() const { return *list_; }
    bool listLoaded() const { return loaded_; }
    // The file it was read from, and its name inside that file for an archive.
    const std::filesystem::path& listFile() const { return listFile_; }
    const std::string& listEntry() const { return listEntry_; }
    void setList(std::shared_ptr<const postal::PostalList> list, std::filesystem::path file = {},
                 std::string entry = {})
    {
        loaded_ = list != nullptr;
        list_ = loaded_ ? std::move(list) : std::make_shared<const postal::PostalList>();
        listFile_ = loaded_ ? std::move(file) : std::filesystem::path();
        listEntry_ = loaded_ ? std::move(entry) : std::string();
    }

    // The program's folder, or for an installed program the user's own
    // folder that stands in for it: where choosers open.
    const std::filesystem::path& programFolder() const { return programFolder_; }

    // The full path the shared file chooser last returned for a file
    // command; empty when none was chosen.
    const std::filesystem::path& selectedFile() const { return selectedFile_; }
    void setSelectedFile(std::filesystem::path path) { selectedFile_ = std::move(path); }

private:
    Settings settings_;
    std::shared_ptr<const postal::PostalList> list_ = std::make_shared<const postal::PostalList>();
    bool loaded_ = false;
    std::filesystem::path listFile_;
    std::string listEntry_;
    std::filesystem::path programFolder_;
    std::filesystem::path selectedFile_;
};

} // namespace state
