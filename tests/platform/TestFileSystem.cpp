// Finding the list as it is published: KEN_ALL.CSV for ken_all.csv.
#include "platform/FileSystem.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <unistd.h>

using testsupport::TempDir;
using testsupport::writeFile;

namespace {

struct FindCase
{
    const char* name;
    std::vector<std::string> files;    // plain files in the folder
    std::vector<std::string> folders;  // folders in it
    std::string asked;
    std::string found;                 // empty: none
    std::vector<std::string> alsoMatching;
    friend void PrintTo(const FindCase& c, std::ostream* os) { *os << c.name; }
};

constexpr const char* kOneFile = "names that differ only in case are one file here, as on Windows";

// False where some names were one file.
bool makeAll(const TempDir& dir, const std::vector<std::string>& files, const std::vector<std::string>& folders)
{
    for (const auto& f : files)
        writeFile(dir / f, "x");
    for (const auto& f : folders)
        std::filesystem::create_directory(dir / f);
    return std::distance(std::filesystem::directory_iterator(dir.path()), {}) ==
           std::ptrdiff_t(files.size() + folders.size());
}

// Where case is ignored, the asked-for name may stand for the file found.
void expectFound(const platform::FoundFile& found, const TempDir& dir, const std::string& asked,
                 const std::string& expected)
{
    EXPECT_EQ(found.found, !expected.empty());
    if (found.found)
        EXPECT_TRUE(std::filesystem::equivalent(found.path, dir / expected)) << found.path;
    else
        EXPECT_EQ(found.path, dir / asked);
}

class FindIgnoringCase : public testing::TestWithParam<FindCase>
{};

TEST_P(FindIgnoringCase, TakesTheFileUsersExpect)
{
    const FindCase& c = GetParam();
    TempDir dir;
    if (!makeAll(dir, c.files, c.folders))
        GTEST_SKIP() << kOneFile;
    const platform::FoundFile found = platform::findFileIgnoringCase(dir.path(), c.asked);
    expectFound(found, dir, c.asked, c.found);
    std::vector<std::string> also;
    for (const auto& p : found.alsoMatching)
        also.push_back(p.filename().string());
    EXPECT_EQ(also, c.alsoMatching);
    const std::string note = platform::caseChoiceNote(found);
    EXPECT_EQ(note.empty(), c.alsoMatching.empty()) << note;
    if (!note.empty()) {
        EXPECT_NE(note.find("「" + c.found + "」を読み込みます"), std::string::npos) << note;
        for (const auto& other : c.alsoMatching)
            EXPECT_NE(note.find(other), std::string::npos) << note;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Lists, FindIgnoringCase,
    testing::Values(
        FindCase{"exact", {"ken_all.csv"}, {}, "ken_all.csv", "ken_all.csv", {}},
        FindCase{"as_published", {"KEN_ALL.CSV"}, {}, "ken_all.csv", "KEN_ALL.CSV", {}},
        FindCase{"exact_wins", {"KEN_ALL.CSV", "Ken_All.csv", "ken_all.csv"}, {}, "ken_all.csv", "ken_all.csv", {}},
        FindCase{"several_first_in_byte_order", {"ken_all.CSV", "Ken_All.csv", "KEN_ALL.CSV"}, {}, "ken_all.csv",
                 "KEN_ALL.CSV", {"Ken_All.csv", "ken_all.CSV"}},
        FindCase{"a_folder_is_no_list", {"other.csv"}, {"KEN_ALL.CSV"}, "ken_all.csv", "", {}},
        FindCase{"none", {"ken_all.csv.bak", "ken_all"}, {}, "ken_all.csv", "", {}},
        FindCase{"japanese_name_kept", {"郵便番号.CSV"}, {}, "郵便番号.csv", "郵便番号.CSV", {}}),
    [](const testing::TestParamInfo<FindCase>& info) { return info.param.name; });

// Where no list is, the archive as downloaded; a list, where present, wins.
struct ListCase
{
    const char* name;
    std::vector<std::string> files;
    std::vector<std::string> folders;
    std::string asked;
    std::string found;  // empty: none
    bool archive;
    friend void PrintTo(const ListCase& c, std::ostream* os) { *os << c.name; }
};

class FindList : public testing::TestWithParam<ListCase>
{};

TEST_P(FindList, TakesTheListOrElseTheArchive)
{
    const ListCase& c = GetParam();
    TempDir dir;
    if (!makeAll(dir, c.files, c.folders))
        GTEST_SKIP() << kOneFile;
    const platform::FoundFile found = platform::findList(dir.path(), c.asked);
    expectFound(found, dir, c.asked, c.found);
    EXPECT_EQ(found.archive, c.archive);
}

INSTANTIATE_TEST_SUITE_P(
    Lists, FindList,
    testing::Values(
        ListCase{"archive_only", {"ken_all.zip", "readme.txt"}, {}, "ken_all.csv", "ken_all.zip", true},
        ListCase{"archive_in_capitals", {"KEN_ALL.ZIP"}, {}, "ken_all.csv", "KEN_ALL.ZIP", true},
        ListCase{"archive_exact_wins", {"KEN_ALL.ZIP", "ken_all.zip"}, {}, "ken_all.csv", "ken_all.zip", true},
        ListCase{"list_preferred", {"ken_all.zip", "ken_all.csv"}, {}, "ken_all.csv", "ken_all.csv", false},
        ListCase{"list_as_published_preferred", {"KEN_ALL.CSV", "ken_all.zip"}, {}, "ken_all.csv", "KEN_ALL.CSV",
                 false},
        ListCase{"other_list_name", {"ken_all.zip"}, {}, "tokyo.csv", "ken_all.zip", true},
        ListCase{"archive_named_in_settings", {"ken_all.zip"}, {}, "ken_all.zip", "ken_all.zip", false},
        ListCase{"a_folder_is_no_archive", {}, {"ken_all.zip"}, "ken_all.csv", "", false},
        ListCase{"other_archives_ignored", {"ken_all.zip.part", "ken_all(1).zip", "jigyosyo.zip"}, {},
                 "ken_all.csv", "", false}),
    [](const testing::TestParamInfo<ListCase>& info) { return info.param.name; });

// Whether the program's folder can hold the user's files. As root every
// permission check passes, so the failures here are real in other ways.
// (Windows judges by Program Files and a trial file instead: no owners to give away.)
#ifndef _WIN32
TEST(UsersOwnFolder, OnlyAWritableFolderOfTheUsersOutsideTheSystemsFolders)
{
    TempDir dir;
    writeFile(dir / "file", "x");
    std::filesystem::create_directory(dir / "theirs");
    ASSERT_EQ(chown((dir / "theirs").c_str(), 4321, 4321), 0);
    std::filesystem::create_directory_symlink("/usr/bin", dir / "link");
    const std::pair<std::filesystem::path, bool> cases[] = {
        {dir.path(), true},        {dir / "file", false},   {dir / "file" / "sub", false},
        {dir / "missing", false},  {dir / "theirs", false}, {"/usr/bin", false},
        {"/usr/local/bin", false}, {"/opt", false},         {dir / "link", false},
    };
    for (const auto& [folder, own] : cases)
        EXPECT_EQ(platform::isUsersOwnFolder(folder), own) << folder;
}
#endif

TEST(FindIgnoringCaseFolder, AMissingFolderFindsNothing)
{
    TempDir dir;
    const auto found = platform::findFileIgnoringCase(dir / "none", "ken_all.csv");
    EXPECT_FALSE(found.found);
    EXPECT_EQ(found.path, dir / "none" / "ken_all.csv");
}

} // namespace
