// Copy, rename and delete on real files: what ends up where, and that every
// failure leaves each file as it was and nothing half-written behind.

#include "platform/FileOperations.h"
#include "platform/SafeFileWriter.h"
#include "tests/support/System.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <functional>
#include <optional>
#include <vector>

namespace fs = std::filesystem;
using platform::FileError;
using Kind = FileError::Kind;
using testsupport::entries;
using testsupport::readFile;
using testsupport::TempDir;
using testsupport::writeFile;
using Names = std::vector<std::string>;

namespace {

const std::string kSource = "01101,\"060  \",\"0600000\"\r\n13101,\"100  \",\"1000000\"\r\n";
const std::string kOld = "old target\r\n";

// What failed, and the system's error number; -1 for no failure.
using Failure = std::pair<Kind, int>;
Failure failure(const std::optional<FileError>& error)
{
    return error ? Failure{error->kind, error->sysError} : Failure{Kind(-1), 0};
}

// ---- refusals leave the source, the target and the folder as they were ----

enum Op { Copy, Rename, Delete };
using enum Kind;

struct Refusal
{
    const char* name;
    Op op;
    const char* made; // "dir:N", "link:N>T", "hard:N", "readonly:N" or "held:N", made first
    const char* from; // "": the source
    std::string to;
    Kind kind;
    int sysError;
    friend void PrintTo(const Refusal& c, std::ostream* os) { *os << c.name; }
};

// Makes what a case needs first; why it cannot be made here, or nothing.
std::string make(const fs::path& d, const std::string& what, std::optional<testsupport::HeldOpen>& held)
{
    const std::string how = what.substr(0, what.find(':')), name = what.substr(how.size() + 1);
    if (how == "dir")
        fs::create_directory(d / name);
    else if (how == "link" &&
             !testsupport::makeSymlink(name.substr(name.find('>') + 1), d / name.substr(0, name.find('>'))))
        return "no symbolic links here";
    else if (how == "hard")
        fs::create_hard_link(d / "source.csv", d / name);
    else if (how == "held" && !held.emplace(d / name).held())
        return testsupport::kNoHolding;
    else if (how == "readonly")
        testsupport::makeReadOnly(d / name);
    return {};
}

class Refused : public ::testing::TestWithParam<Refusal>
{
};

TEST_P(Refused, LeavesEverythingAsItWas)
{
    const Refusal& c = GetParam();
    TempDir dir;
    writeFile(dir / "source.csv", kSource);
    writeFile(dir / "other.csv", kOld);
    std::optional<testsupport::HeldOpen> held;
    if (const std::string whyNot = *c.made ? make(dir.path(), c.made, held) : ""; !whyNot.empty())
        GTEST_SKIP() << whyNot;
    const Names before = entries(dir.path());
    const fs::path from = dir / (*c.from ? c.from : "source.csv"), to = dir / c.to;

    const auto error = c.op == Copy     ? platform::copyFile(from, to)
                       : c.op == Rename ? platform::renameFile(from, to)
                                        : platform::deleteFile(from);
    held.reset();
    ASSERT_EQ(failure(error), Failure(c.kind, c.sysError));
    EXPECT_EQ(error->path, c.op == Delete || c.kind == SourceMissing || c.kind == SourceNotAFile ? from : to);
    EXPECT_EQ(readFile(dir / "source.csv"), kSource);
    EXPECT_EQ(readFile(dir / "other.csv"), kOld);
    EXPECT_EQ(entries(dir.path()), before);
}

const std::string kNul = std::string("a\0b", 3);

// clang-format off
const Refusal kRefusals[] = {
    {"Copy_SamePath", Copy, "", "", "source.csv", SameFile, 0},
    {"Copy_SymbolicLink", Copy, "link:link.csv>source.csv", "", "link.csv", SameFile, 0},
    {"Copy_HardLink", Copy, "hard:hard.csv", "", "hard.csv", SameFile, 0},
    {"Copy_FolderMissing", Copy, "", "", "nowhere/copy.csv", FolderMissing, ENOENT},
    {"Copy_FileAsFolder", Copy, "", "", "other.csv/copy.csv", FolderMissing, ENOTDIR},
    {"Copy_FolderInTheWay", Copy, "dir:folder.csv", "", "folder.csv", TargetNotAFile, EISDIR},
    {"Copy_ReadOnlyTarget", Copy, "readonly:other.csv", "", "other.csv", TargetReadOnly, EACCES},
    {"Copy_NulInName", Copy, "", "", kNul, InvalidName, EINVAL},
    {"Copy_SourceGone", Copy, "", "gone.csv", "copy.csv", SourceMissing, ENOENT},
    {"Copy_SourceAFolder", Copy, "dir:folder", "folder", "copy.csv", SourceNotAFile, EISDIR},
    {"Copy_SourceInUse", Copy, "held:source.csv", "", "copy.csv", SourceMissing, platform::kFileInUse},
    {"Copy_TargetInUse", Copy, "held:other.csv", "", "other.csv", ReplaceFailed, platform::kFileInUse},
    {"Rename_ExistingFile", Rename, "", "", "other.csv", TargetExists, EEXIST},
    {"Rename_ExistingFolder", Rename, "dir:folder", "", "folder", TargetExists, EEXIST},
    {"Rename_DanglingLink", Rename, "link:link.csv>nothing.csv", "", "link.csv", TargetExists, EEXIST},
    {"Rename_FolderMissing", Rename, "", "", "nowhere/new.csv", FolderMissing, ENOENT},
    {"Rename_FileAsFolder", Rename, "", "", "other.csv/new.csv", FolderMissing, ENOTDIR},
    {"Rename_NulInName", Rename, "", "", kNul, InvalidName, EINVAL},
    {"Rename_SourceGone", Rename, "", "gone.csv", "new.csv", SourceMissing, ENOENT},
    {"Rename_SourceAFolder", Rename, "dir:folder", "folder", "new", SourceNotAFile, EISDIR},
    {"Rename_SourceInUse", Rename, "held:source.csv", "", "new.csv", ReplaceFailed, platform::kFileInUse},
    {"Delete_Gone", Delete, "", "gone.csv", "", SourceMissing, ENOENT},
    {"Delete_AFolder", Delete, "dir:folder.csv", "folder.csv", "", SourceNotAFile, EISDIR},
    {"Delete_InUse", Delete, "held:source.csv", "", "", RemoveFailed, platform::kFileInUse},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Files, Refused, ::testing::ValuesIn(kRefusals),
                         [](const auto& info) { return std::string(info.param.name); });

class FileOperations : public ::testing::Test
{
protected:
    void SetUp() override { writeFile(source, kSource); }
    TempDir dir;
    fs::path source = dir / "source.csv";
};

// Names as users give them: Japanese, with spaces, and 250 characters long
// (past the 260 that a whole path may have on Windows unless asked for more).
// An existing copy is replaced whole; a rename into another folder moves.
TEST_F(FileOperations, JapaneseSpacedAndLongNames)
{
    const std::u8string longName = u8"東京 " + std::u8string(243, u8'x') + u8".csv";
    fs::create_directory(dir.path() / u8"移動先 フォルダ");
    for (const std::u8string& name : {std::u8string(u8"東京都 神奈川県.csv"), longName}) {
        const fs::path copy = dir.path() / name, moved = dir.path() / u8"移動先 フォルダ" / name;
        const std::string text = platform::pathText(copy.filename());
        writeFile(copy, kOld + kOld + kOld + kOld + kOld);  // longer than the source: nothing of it may stay
        ASSERT_FALSE(platform::copyFile(source, copy)) << text;
        EXPECT_EQ(readFile(copy), kSource) << text;
        ASSERT_FALSE(platform::renameFile(copy, moved)) << text;
        EXPECT_EQ(entries(moved.parent_path()), Names{text});
        EXPECT_EQ(readFile(moved), kSource) << text;
        ASSERT_FALSE(platform::deleteFile(moved)) << text;
        EXPECT_EQ(entries(dir.path()), (Names{"source.csv", "移動先 フォルダ"})) << text;
    }
}

// Outright, a read-only file too, as the user confirmed; a link itself, not
// what it names, even a link to nothing.
TEST_F(FileOperations, DeleteRemovesOutright)
{
    testsupport::makeReadOnly(source);
    ASSERT_FALSE(platform::deleteFile(source));
    writeFile(dir / "real.csv", kOld);
    if (testsupport::makeSymlink("real.csv", dir / "link.csv") &&
        testsupport::makeSymlink("nothing.csv", dir / "dangling.csv")) {
        EXPECT_FALSE(platform::deleteFile(dir / "link.csv"));
        EXPECT_FALSE(platform::deleteFile(dir / "dangling.csv"));
    }
    EXPECT_EQ(readFile(dir / "real.csv"), kOld);
    EXPECT_EQ(entries(dir.path()), Names{"real.csv"});
}

// ---- rename across file systems (volumes) ----

class RenameAcross : public FileOperations
{
protected:
    void SetUp() override
    {
        FileOperations::SetUp();
        std::string whyNone;
        other = testsupport::folderElsewhere(whyNone);
        if (other.empty())
            GTEST_SKIP() << whyNone;
    }
    void TearDown() override
    {
        std::error_code ec;
        if (!other.empty())
            fs::remove_all(other, ec);
    }
    fs::path other;
};

// The same file arrives, with its time and its read-only mark; the old one
// goes. Nothing there is ever replaced.
TEST_F(RenameAcross, MovesTheFileAndReplacesNothing)
{
    writeFile(other / "taken.csv", kOld);
    EXPECT_EQ(failure(platform::renameFile(source, other / "taken.csv")).first, Kind::TargetExists);
    EXPECT_EQ(readFile(other / "taken.csv"), kOld);
    const auto time = fs::last_write_time(source) - std::chrono::hours(24 * 400);
    fs::last_write_time(source, time);
    testsupport::makeReadOnly(source);
    const fs::path to = other / "moved.csv";
    ASSERT_FALSE(platform::renameFile(source, to));
    EXPECT_FALSE(fs::exists(source));
    EXPECT_EQ(readFile(to), kSource);
    EXPECT_EQ(fs::last_write_time(to), time);
    EXPECT_EQ(fs::status(to).permissions() & fs::perms::owner_write, fs::perms::none);
    EXPECT_EQ(entries(other), (Names{"moved.csv", "taken.csv"}));
}

// A file-size limit makes the copy fail part-way: the old file stays exactly
// as it was, and nothing partial remains, here or on the other disk.
TEST_F(RenameAcross, PastAFileSizeLimitTheOldFilesStay)
{
    writeFile(source, std::string(300000, 'x'));
    writeFile(dir / "target.csv", kOld);
    const std::function<std::optional<FileError>()> operations[] = {
        [&] { return platform::copyFile(source, dir / "target.csv"); },
        [&] { return platform::renameFile(source, other / "moved.csv"); }};
    for (const auto& operation : operations) {
        const auto failed = testsupport::underAFileSizeLimit(100000, [&] {
            const Failure f = failure(operation());
            return testsupport::Outcome{int(f.first), f.second};
        });
        if (!failed)
            GTEST_SKIP() << testsupport::kNoSizeLimit;
        EXPECT_EQ(*failed, testsupport::Outcome(int(Kind::WriteFailed), EFBIG));
    }
    EXPECT_EQ(readFile(dir / "target.csv"), kOld);
    EXPECT_EQ(readFile(source).size(), 300000u);
    EXPECT_EQ(entries(dir.path()), (Names{"source.csv", "target.csv"}));
    EXPECT_TRUE(entries(other).empty());
}

} // namespace
