#pragma once
// The settings store over QSettings: the platform's native per-user store
// (an INI file under the user's configuration folder here; on Windows the
// registry, HKEY_CURRENT_USER\Software\VB and VBA Program Settings\DOZUZEZO),
// or an INI file of the caller's choosing for tests and scripts.

#include "SettingsTable.h"

#include <QString>
#include <filesystem>
#include <memory>

class QSettings;

namespace settings {

class QtSettingsStore : public SettingsStore
{
public:
    QtSettingsStore();                                // native per-user store
    explicit QtSettingsStore(const QString& iniFile);  // a given INI file
    ~QtSettingsStore() override;

    std::string read(std::string_view section, std::string_view key) const override;
    void write(std::string_view section, std::string_view key, std::string_view value) override;
    bool flush() override;


private:
    std::unique_ptr<QSettings> settings_;
};

// The store the program uses: the INI file named by DOZUZEZO_SETTINGS when
// that is set (tests, scripts), the native per-user store otherwise.
std::unique_ptr<SettingsStore> openUserStore();

// FolderName's default: the program's own folder where the user keeps files
// there (a copy unzipped into a folder of its own), otherwise the user's
// data folder for the program (~/.local/share/DOZUZEZO/DOZUZEZO here,
// %APPDATA%\DOZUZEZO\DOZUZEZO on Windows), which is not created here.
std::filesystem::path defaultListFolder(const std::filesystem::path& programFolder);

} // namespace settings
