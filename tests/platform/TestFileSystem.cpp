// Finding the list as it is published: KEN_ALL.CSV for ken_all.csv, else
// ken_all.zip; and whose folder the program's is.
#include "platform/FileSystem.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <unistd.h>

using testsupport::TempDir;

namespace {

struct FindCase
{
    const char* name;
    bool list;                      // findList; else findFileIgnoringCase
    std::vector<std::string> files; // plain files in the folder; a trailing / makes a folder
    std::string asked;              // below the folder
    std::string found;              // empty: none
    bool archive;
    std::vector<std::string> alsoMatching;
    friend void PrintTo(const FindCase& c, std::ostream* os) { *os << c.name; }
};

class Find : public testing::TestWithParam<FindCase>
{};

TEST_P(Find, TakesTheFileUsersExpect)
{
    const FindCase& c = GetParam();
    TempDir dir;
    for (const auto& f : c.files) {
        if (f.back() == '/')
            std::filesystem::create_directory(dir / f);
        else
            testsupport::writeFile(dir / f, "x");
    }
    if (testsupport::entries(dir.path()).size() != c.files.size())
        GTEST_SKIP() << "names that differ only in case are one file here, as on Windows";
    const std::filesystem::path asked = dir / c.asked;
    const platform::FoundFile found =
        c.list ? platform::findList(asked.parent_path(), asked.filename())
               : platform::findFileIgnoringCase(asked.parent_path(), asked.filename());
    EXPECT_EQ(found.found, !c.found.empty());
    // Where case is ignored, the asked-for name may stand for the file found.
    if (found.found)
        EXPECT_TRUE(std::filesystem::equivalent(found.path, dir / c.found)) << found.path;
    else
        EXPECT_EQ(found.path, asked);
    EXPECT_EQ(found.archive, c.archive);
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

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Lists, Find,
    testing::Values(
        FindCase{"exact", false, {"ken_all.csv"}, "ken_all.csv", "ken_all.csv", false, {}},
        FindCase{"as_published", false, {"KEN_ALL.CSV"}, "ken_all.csv", "KEN_ALL.CSV", false, {}},
        FindCase{"exact_wins", false, {"KEN_ALL.CSV", "Ken_All.csv", "ken_all.csv"}, "ken_all.csv", "ken_all.csv", false, {}},
        FindCase{"several_first_in_byte_order", false, {"ken_all.CSV", "Ken_All.csv", "KEN_ALL.CSV"}, "ken_all.csv",
                 "KEN_ALL.CSV", false, {"Ken_All.csv", "ken_all.CSV"}},
        FindCase{"a_folder_is_no_list", false, {"other.csv", "KEN_ALL.CSV/"}, "ken_all.csv", "", false, {}},
        FindCase{"none", false, {"ken_all.csv.bak", "ken_all"}, "ken_all.csv", "", false, {}},
        FindCase{"missing_folder", false, {}, "none/ken_all.csv", "", false, {}},
        FindCase{"japanese_name_kept", false, {"郵便番号.CSV"}, "郵便番号.csv", "郵便番号.CSV", false, {}},
        FindCase{"archive_only", true, {"ken_all.zip", "readme.txt"}, "ken_all.csv", "ken_all.zip", true, {}},
        FindCase{"archive_in_capitals", true, {"KEN_ALL.ZIP"}, "ken_all.csv", "KEN_ALL.ZIP", true, {}},
        FindCase{"archive_exact_wins", true, {"KEN_ALL.ZIP", "ken_all.zip"}, "ken_all.csv", "ken_all.zip", true, {}},
        FindCase{"list_preferred", true, {"ken_all.zip", "ken_all.csv"}, "ken_all.csv", "ken_all.csv", false, {}},
        FindCase{"other_list_name", true, {"ken_all.zip"}, "tokyo.csv", "ken_all.zip", true, {}},
        FindCase{"archive_named_in_settings", true, {"ken_all.zip"}, "ken_all.zip", "ken_all.zip", false, {}},
        FindCase{"a_folder_is_no_archive", true, {"ken_all.zip/"}, "ken_all.csv", "", false, {}},
        FindCase{"other_archives_ignored", true, {"ken_all.zip.part", "ken_all(1).zip", "jigyosyo.zip"},
                 "ken_all.csv", "", false, {}}),
    [](const testing::TestParamInfo<FindCase>& info) { return info.param.name; });
// clang-format on

// Whether the program's folder can hold the user's files. As root every
// permission check passes, so the failures here are real in other ways.
// (Windows judges by Program Files and a trial file instead: no owners to give away.)
#ifndef _WIN32
TEST(UsersOwnFolder, OnlyAWritableFolderOfTheUsersOutsideTheSystemsFolders)
{
    TempDir dir;
    testsupport::writeFile(dir / "file", "x");
    std::filesystem::create_directory(dir / "theirs");
    ASSERT_EQ(chown((dir / "theirs").c_str(), 4321, 4321), 0);
    std::filesystem::create_directory_symlink("/usr/bin", dir / "link");
    // clang-format off
    const std::pair<std::filesystem::path, bool> cases[] = {
        {dir.path(), true},        {dir / "file", false},   {dir / "file" / "sub", false},
        {dir / "missing", false},  {dir / "theirs", false}, {"/usr/bin", false},
        {"/usr/local/bin", false}, {"/opt", false},         {dir / "link", false},
    };
    // clang-format on
    for (const auto& [folder, own] : cases)
        EXPECT_EQ(platform::isUsersOwnFolder(folder), own) << folder;
}
#endif

} // namespace
