#include "settings/QtSettingsStore.h"
#include "settings/SettingsTable.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <QString>

#ifdef _WIN32
#include <windows.h>
#endif

#include <limits>
#include <string>
#include <vector>

using settings::QtSettingsStore;
using testsupport::readFile;
using testsupport::TempDir;
using testsupport::writeFile;

namespace {

QString qPath(const std::filesystem::path& path)
{
    return QString::fromStdString(path.string());
}

// How often each text stands in the file.
void expectCounts(const std::filesystem::path& file,
                  std::initializer_list<std::pair<std::string, int>> counts)
{
    const std::string ini = readFile(file);
    for (const auto& [text, n] : counts) {
        int found = 0;
        for (auto at = ini.find(text); at != std::string::npos; at = ini.find(text, at + 1))
            ++found;
        EXPECT_EQ(found, n) << text << " in\n" << ini;
    }
}

} // namespace

TEST(QtSettingsStore, NamesMatchWithoutRegardToCase)
{
    TempDir dir;
    const auto file = dir / "s.ini";
    {
        QtSettingsStore store(qPath(file));
        EXPECT_EQ(store.read("Config", "OptLogo"), "") << "absent reads empty";
        store.write("config", "optlogo", "0");
        EXPECT_EQ(store.read("Config", "OptLogo"), "0");
        store.write("CONFIG", "OPTLOGO", "1"); // replaces, adds no second key
        store.write("Ken_on_off", "Ken_OnOff(12)", "1");
        store.write("ken_ON_off", "ken_onoff(12)", "0");
        EXPECT_EQ(store.read("Ken_on_off", "Ken_OnOff(12)"), "0");
        ASSERT_TRUE(store.flush());
    }
    // The first spelling is kept; QSettings escapes ( and ).
    expectCounts(file, {{"[config]", 1},
                        {"[", 2},
                        {"optlogo=1", 1},
                        {"OPTLOGO", 0},
                        {"onoff", 0},
                        {"OnOff%2812%29=0", 1}});

    // A file written elsewhere, by hand too: unquoted commas are not lost.
    const auto elsewhere = dir / "elsewhere.ini";
    writeFile(elsewhere, "[CONFIG]\nOPTLOGO=0\nFolderName=/a,b\n\n[position]\nk_left=1500.5\n");
    QtSettingsStore store(qPath(elsewhere));
    EXPECT_EQ(store.read("Config", "OptLogo"), "0");
    EXPECT_EQ(store.read("Config", "FolderName"), "/a,b");
    EXPECT_EQ(store.read("Position", "K_Left"), "1500.5");
    store.write("Config", "OptLogo", "1");
    store.write("Config", "OptDbl", "0");
    ASSERT_TRUE(store.flush());
    expectCounts(elsewhere, {{"OPTLOGO=1", 1}, {"OptDbl=0", 1}, {"[Config]", 0}});
}

TEST(QtSettingsStore, FlushReportsAFileThatCannotBeWritten)
{
    TempDir dir;
    writeFile(dir / "plain", "x");
    std::filesystem::create_directory(dir / "folder.ini");
    // Lines QSettings cannot parse do not make a good write look failed.
    writeFile(dir / "odd.ini", "[Config\nOptLogo=0\n[]]\n");
    const std::pair<const char*, bool> files[] = {
        {"plain/s.ini", false}, {"folder.ini", false}, {"s.ini", true}, {"odd.ini", true}};
    for (const auto& [name, writable] : files) {
        QtSettingsStore store(qPath(dir / name));
        store.write("Config", "OptDbl", "1");
        EXPECT_EQ(store.flush(), writable) << name;
    }
    EXPECT_EQ(QtSettingsStore(qPath(dir / "odd.ini")).read("Config", "OptDbl"), "1");
}

#ifdef _WIN32
// The registry key an earlier installation wrote: what it kept is read, and
// what is written is where (and as the string values) it would look.
TEST(QtSettingsStore, WindowsKeepsTheEarlierProgramsRegistryKey)
{
    const wchar_t* key = L"Software\\VB and VBA Program Settings\\DOZUZEZO";
    HKEY existing = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, key, 0, KEY_READ, &existing) == ERROR_SUCCESS) {
        RegCloseKey(existing);
        GTEST_SKIP() << "this user's own settings are there; the test leaves them alone";
    }
    const std::wstring config = std::wstring(key) + L"\\Config";
    const std::wstring folder = L"C:\\郵便\\一覧";
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, config.c_str(), L"FolderName", REG_SZ, folder.c_str(),
                              DWORD((folder.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
    {
        QtSettingsStore store;
        EXPECT_EQ(store.read("config", "foldername"), "C:\\郵便\\一覧");
        store.write("Ken_on_off", "Ken_OnOff(46)", "0");
        store.write("Position", "K_Left", "1500.5");
        EXPECT_TRUE(store.flush());
    }
    const auto stored = [&](const wchar_t* section, const wchar_t* name) {
        wchar_t value[64] = {};
        DWORD size = sizeof value, type = 0;
        const LSTATUS status = RegGetValueW(HKEY_CURRENT_USER, (std::wstring(key) + section).c_str(),
                                            name, RRF_RT_ANY, &type, value, &size);
        return status == ERROR_SUCCESS && type == REG_SZ ? std::wstring(value) : L"?";
    };
    EXPECT_TRUE(stored(L"\\Ken_on_off", L"Ken_OnOff(46)") == L"0");
    EXPECT_TRUE(stored(L"\\Position", L"K_Left") == L"1500.5");
    RegDeleteTreeW(HKEY_CURRENT_USER, key);
}
#endif

TEST(LeadingNumber, ReadsTheNumberAtTheStartAndIgnoresTheRest)
{
    const struct
    {
        const char* text;
        double value;
    } cases[] = {
        // clang-format off
        {"1500.5", 1500.5}, {"-15", -15}, {"12abc", 12}, {"abc", 0}, {"", 0}, {" 7", 7},
        {"\t-3", -3}, {"+4", 4}, {".5", 0.5}, {"5.", 5}, {"-", 0}, {".", 0}, {"- 5", 0},
        {"1e3", 1000}, {"2E-1", 0.2}, {"3e", 3}, {"3e+x", 3}, {"inf", 0}, {"nan", 0}, {"1,5", 1},
        {"1e999", std::numeric_limits<double>::infinity()},
        {"-1e999", -std::numeric_limits<double>::infinity()}, {"1e-999", 0},
        // clang-format on
    };
    for (const auto& c : cases)
        EXPECT_EQ(settings::leadingNumber(c.text), c.value) << '"' << c.text << '"';
}

TEST(TypedReaders, ReadStoredTextsAsTheProgramAlwaysHas)
{
    using namespace settings;
    // Ticks: the leading number rounded; only 0 clears. Flags: exactly "1".
    // Positions: a number must start the text. Tab indexes: plain digits.
    for (const char* on : {"1", "-1", "0.5"})
        EXPECT_TRUE(isTicked(on)) << on;
    for (const char* off : {"0.4", "0", "abc", ""})
        EXPECT_FALSE(isTicked(off)) << off;
    EXPECT_EQ(std::string(tickText(true)) + std::string(tickText(false)), "10");
    EXPECT_TRUE(isOn("1"));
    for (const char* off : {"0", "", "2", " 1", "1 ", "01", "true"})
        EXPECT_FALSE(isOn(off)) << '"' << off << '"';
    for (const char* number : {"0", "-15", " 7", "\t7", "+4", ".5", "1500.5x"})
        EXPECT_TRUE(holdsNumber(number)) << '"' << number << '"';
    for (const char* text : {"", "abc", "-", ".", "- 5", "x1"})
        EXPECT_FALSE(holdsNumber(text)) << '"' << text << '"';
    EXPECT_EQ(twipsText(1500.4) + " " + twipsText(-0.6), "1500 -1");
    EXPECT_EQ(tabIndex("0") + tabIndex("1") * 10 + tabIndex("999") * 100, 99910);
    for (const char* other : {"", "-1", " 1", "1x", "abc", "1000"})
        EXPECT_EQ(tabIndex(other), -1) << '"' << other << '"';
}
