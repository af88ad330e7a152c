#pragma once
// The program's in-memory copies of every setting, filled at start-up.

#include <array>
#include <string>

namespace settings {

struct SettingCopies
{
    std::string optLogo;     // Config/OptLogo: "1" shows the splash
    std::string folderName;  // Config/FolderName: folder of the list file
    std::string yubinFile;   // Config/Yubin_File: list file name
    std::string optDbl;      // Config/OptDbl: "1" ends on double-click
    std::string optCent;     // Position/OptCent: "1" centres the main window
    std::string kLeft;       // Position/K_Left: twips
    std::string kTop;        // Position/K_Top: twips
    std::string optLAct;     // Config/OptLAct: "1" remembers the settings tab
    std::string optLATab;    // Config/OptLATab: settings tab index
    std::array<std::string, 47> kenOnOff;  // Ken_on_off/Ken_OnOff(i)
};

// A flag is on only when its text is exactly "1".
inline bool isOn(const std::string& flag) { return flag == "1"; }

// The leading number of a text, as the stored positions and ticks are read:
// "1500.5" -> 1500.5, "12abc" -> 12, "abc" -> 0, "" -> 0.
double leadingNumber(const std::string& text);

} // namespace settings
