// Where the writer puts the bytes, and what it refuses.
#include "platform/SafeFileWriter.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using platform::SafeFileWriter;
using platform::WriteError;
using testsupport::readFile;
using testsupport::TempDir;
using testsupport::writeFile;

namespace {

std::vector<std::string> entries(const std::filesystem::path& dir)
{
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::optional<WriteError> writeAll(const std::filesystem::path& target, std::string_view bytes)
{
    SafeFileWriter writer;
    if (auto e = writer.open(target))
        return e;
    writer.write(bytes);
    return writer.commit();
}

TEST(SafeFileWriter, LinksAreFollowedEvenDangling)
{
    TempDir dir;
    std::filesystem::create_directory(dir / "real");
    std::filesystem::create_symlink("real/new.csv", dir / "dangling.csv");
    std::filesystem::create_symlink("dangling.csv", dir / "chain.csv");
    ASSERT_FALSE(writeAll(dir / "chain.csv", "rows"));
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "dangling.csv"));
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "chain.csv"));
    EXPECT_EQ(readFile(dir / "real" / "new.csv"), "rows");
    EXPECT_EQ(entries(dir / "real"), std::vector<std::string>{"new.csv"});
}

// The owner's write bit decides, whoever runs us (root too).
TEST(SafeFileWriter, AReadOnlyFileIsRefusedAndKept)
{
    TempDir dir;
    for (const auto mode : {0444, 0044, 0400}) {
        const auto target = dir / "kept.csv";
        writeFile(target, "old");
        ::chmod(target.c_str(), static_cast<mode_t>(mode));
        std::filesystem::create_symlink("kept.csv", dir / "link.csv");
        for (const auto& name : {target, dir / "link.csv"}) {
            const auto error = writeAll(name, "new");
            ASSERT_TRUE(error) << std::oct << mode;
            EXPECT_EQ(error->kind, WriteError::Kind::ReadOnly);
            EXPECT_NE(error->reason().find("読み取り専用"), std::string::npos) << error->reason();
            EXPECT_NE(error->reason().find("kept.csv"), std::string::npos) << error->reason();
        }
        EXPECT_EQ(readFile(target), "old");
        EXPECT_EQ(entries(dir.path()), (std::vector<std::string>{"kept.csv", "link.csv"}));
        std::filesystem::remove(dir / "link.csv");
        ::chmod(target.c_str(), 0644);
    }
    ::chmod((dir / "kept.csv").c_str(), 0200);  // the owner may write: replaced
    EXPECT_FALSE(writeAll(dir / "kept.csv", "new"));
    EXPECT_EQ(readFile(dir / "kept.csv"), "new");
}

struct FolderCase
{
    const char* name;
    std::string target;  // under the test folder, which holds the file "file"
    WriteError::Kind kind;
    std::string named;   // the folder the reason names
};

class BadFolder : public testing::TestWithParam<FolderCase>
{};

TEST_P(BadFolder, SaysWhatIsWrongWithTheFolder)
{
    const FolderCase& c = GetParam();
    TempDir dir;
    writeFile(dir / "file", "keep");
    const auto error = writeAll(dir / c.target, "rows");
    ASSERT_TRUE(error);
    EXPECT_EQ(error->kind, c.kind);
    EXPECT_EQ(error->folder, dir / c.named);
    const std::string reason = error->reason();
    EXPECT_NE(reason.find("「" + (dir / c.named).string() + "」"), std::string::npos) << reason;
    EXPECT_NE(reason.find(c.kind == WriteError::Kind::NotAFolder ? "ファイルです" : "存在しません"),
              std::string::npos)
        << reason;
    EXPECT_EQ(readFile(dir / "file"), "keep");
    EXPECT_EQ(entries(dir.path()), std::vector<std::string>{"file"});
}

INSTANTIATE_TEST_SUITE_P(
    Targets, BadFolder,
    testing::Values(FolderCase{"folder_missing", "none/out.csv", WriteError::Kind::FolderMissing, "none"},
                    FolderCase{"folder_is_a_file", "file/out.csv", WriteError::Kind::NotAFolder, "file"},
                    FolderCase{"a_file_further_up", "file/sub/out.csv", WriteError::Kind::NotAFolder, "file"}),
    [](const testing::TestParamInfo<FolderCase>& info) { return info.param.name; });

// A pipe is written directly, once; nothing is made beside it.
TEST(SafeFileWriter, AFifoIsWrittenDirectly)
{
    TempDir dir;
    const auto fifo = dir / "pipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::string got;
    std::thread reader([&] { got = readFile(fifo); });
    EXPECT_FALSE(writeAll(fifo, "rows\r\n"));
    reader.join();
    EXPECT_EQ(got, "rows\r\n");
    EXPECT_EQ(entries(dir.path()), std::vector<std::string>{"pipe"});
}

// An open descriptor named as a path is used as it is: opened again, a file
// behind it would be written from its start instead of appended to.
TEST(SafeFileWriter, ADescriptorNameAppendsWhereItsDescriptorAppends)
{
    TempDir dir;
    writeFile(dir / "log", "old\n");
    const int fd = ::open((dir / "log").c_str(), O_WRONLY | O_APPEND);
    ASSERT_GE(fd, 0);
    EXPECT_FALSE(writeAll("/proc/self/fd/" + std::to_string(fd), "new\n"));
    ::close(fd);
    EXPECT_EQ(readFile(dir / "log"), "old\nnew\n");
}

// Ended by a signal while writing, the writer leaves no temporary file.
TEST(SafeFileWriter, ASignalRemovesTheTemporaryFile)
{
    for (int sig : {SIGINT, SIGTERM, SIGHUP}) {
        TempDir dir;
        writeFile(dir / "out.csv", "old");
        const pid_t child = ::fork();
        if (child == 0) {
            platform::removeTemporaryFilesOnSignals();
            SafeFileWriter writer;
            if (writer.open(dir / "out.csv"))
                ::_exit(1);
            writer.write("half");
            ::raise(sig);
            ::_exit(2);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status)) << "ends as the signal says, status " << status;
        EXPECT_EQ(WTERMSIG(status), sig);
        EXPECT_EQ(entries(dir.path()), std::vector<std::string>{"out.csv"});
        EXPECT_EQ(readFile(dir / "out.csv"), "old");
    }
}

TEST(SafeFileWriter, NewFilesGetTheUsualPermissions)
{
    TempDir dir;
    const mode_t old = ::umask(027);
    const auto error = writeAll(dir / "new.csv", "rows");
    ::umask(old);
    ASSERT_FALSE(error);
    struct stat st{};
    ::stat((dir / "new.csv").c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

} // namespace
