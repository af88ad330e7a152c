#include "settings/QtSettingsStore.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <QString>
#include <QtGlobal>

#include <string>

using settings::QtSettingsStore;
using testsupport::readFile;
using testsupport::TempDir;
using testsupport::writeFile;

namespace {

QString qPath(const std::filesystem::path& path)
{
    return QString::fromStdString(path.string());
}

int count(const std::string& text, const std::string& what)
{
    int n = 0;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
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
    const std::string ini = readFile(file);
    EXPECT_EQ(count(ini, "[config]"), 1) << ini; // first spelling kept
    EXPECT_EQ(count(ini, "["), 2) << ini;
    EXPECT_EQ(count(ini, "optlogo=1"), 1) << ini;
    EXPECT_EQ(count(ini, "OPTLOGO"), 0) << ini;
    EXPECT_EQ(count(ini, "OnOff%2812%29=0"), 1) << ini; // QSettings escapes ( and )
    EXPECT_EQ(count(ini, "onoff"), 0) << ini;
}

TEST(QtSettingsStore, FindsNamesSpelledOtherwiseInAFileWrittenElsewhere)
{
    TempDir dir;
    const auto file = dir / "s.ini";
    writeFile(file, "[CONFIG]\nOPTLOGO=0\n\n[position]\nk_left=1500.5\n");
    QtSettingsStore store(qPath(file));
    EXPECT_EQ(store.read("Config", "OptLogo"), "0");
    EXPECT_EQ(store.read("Position", "K_Left"), "1500.5");
    store.write("Config", "OptLogo", "1");
    store.write("Config", "OptDbl", "0");
    ASSERT_TRUE(store.flush());
    const std::string ini = readFile(file);
    EXPECT_EQ(count(ini, "OPTLOGO=1"), 1) << ini;
    EXPECT_EQ(count(ini, "OptDbl=0"), 1) << ini;
    EXPECT_EQ(count(ini, "[Config]"), 0) << ini;
}

TEST(QtSettingsStore, ValuesSurviveANewInstanceUnchanged)
{
    TempDir dir;
    const auto file = dir / "s.ini";
    const std::string folder = "/home/山田/郵便 番号,2024";
    const std::string awkward[] = {folder, " lead and trail ", "@String(x)", "a\"b\\c;d=e", "1, 2"};
    {
        QtSettingsStore store(qPath(file));
        store.write("Config", "FolderName", folder);
        for (std::size_t i = 0; i < std::size(awkward); ++i)
            store.write("Test", "Value" + std::to_string(i), awkward[i]);
    }
    // A copy under another name: read from disk, not from QSettings' cache.
    std::filesystem::copy_file(file, dir / "copy.ini");
    QtSettingsStore again(qPath(dir / "copy.ini"));
    EXPECT_EQ(again.read("config", "foldername"), folder);
    for (std::size_t i = 0; i < std::size(awkward); ++i)
        EXPECT_EQ(again.read("Test", "Value" + std::to_string(i)), awkward[i]);
}

TEST(QtSettingsStore, UnquotedCommasInAHandEditedValueAreNotLost)
{
    TempDir dir;
    writeFile(dir / "s.ini", "[Config]\nFolderName=/a,b\n");
    QtSettingsStore store(qPath(dir / "s.ini"));
    EXPECT_EQ(store.read("Config", "FolderName"), "/a,b");
}

TEST(QtSettingsStore, FlushReportsAFileThatCannotBeWritten)
{
    TempDir dir;
    writeFile(dir / "plain", "x");
    QtSettingsStore underAFile(qPath(dir / "plain" / "s.ini"));
    underAFile.write("Config", "OptLogo", "1");
    EXPECT_FALSE(underAFile.flush());

    std::filesystem::create_directory(dir / "folder.ini");
    QtSettingsStore aFolder(qPath(dir / "folder.ini"));
    aFolder.write("Config", "OptLogo", "1");
    EXPECT_FALSE(aFolder.flush());

    QtSettingsStore fine(qPath(dir / "s.ini"));
    fine.write("Config", "OptLogo", "1");
    EXPECT_TRUE(fine.flush());

    // Lines QSettings cannot parse do not make a good write look failed.
    writeFile(dir / "odd.ini", "[Config\nOptLogo=0\n[]]\n");
    QtSettingsStore odd(qPath(dir / "odd.ini"));
    odd.write("Config", "OptDbl", "1");
    EXPECT_TRUE(odd.flush());
    EXPECT_EQ(QtSettingsStore(qPath(dir / "odd.ini")).read("Config", "OptDbl"), "1");
}

TEST(OpenUserStore, UsesTheFileNamedInTheEnvironment)
{
    TempDir dir;
    const auto file = dir / "env.ini";
    ASSERT_TRUE(qputenv("DOZUZEZO_SETTINGS", qPath(file).toLocal8Bit()));
    {
        const auto store = settings::openUserStore();
        store->write("Config", "OptLogo", "0");
        EXPECT_TRUE(store->flush());
    }
    qunsetenv("DOZUZEZO_SETTINGS");
    EXPECT_NE(readFile(file).find("OptLogo=0"), std::string::npos);
}
