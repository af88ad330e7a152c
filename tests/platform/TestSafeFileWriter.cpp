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

namespace fs = std::filesystem;
using platform::SafeFileWriter;
using platform::WriteError;
using testsupport::entries;
using testsupport::readFile;
using testsupport::TempDir;
using testsupport::writeFile;
using Names = std::vector<std::string>;

namespace {

std::optional<WriteError> writeAll(const fs::path& target, std::string_view bytes)
{
    SafeFileWriter writer;
    if (auto e = writer.open(target))
        return e;
    writer.write(bytes);
    return writer.commit();
}

// The owner's write bit decides, whoever runs us (root too).
TEST(SafeFileWriter, AReadOnlyFileIsRefusedAndKept)
{
    TempDir dir;
    const auto target = dir / "kept.csv";
    writeFile(target, "old");
    fs::create_symlink("kept.csv", dir / "link.csv");
    for (const auto mode : {0444, 0044, 0400}) {
        ::chmod(target.c_str(), static_cast<mode_t>(mode));
        for (const auto& name : {target, dir / "link.csv"}) {
            const auto error = writeAll(name, "new");
            ASSERT_TRUE(error) << std::oct << mode;
            EXPECT_EQ(error->kind, WriteError::Kind::ReadOnly);
            EXPECT_EQ(error->reason().rfind("「" + target.string() + "」 は読み取り専用", 0), 0u)
                << error->reason();
        }
    }
    EXPECT_EQ(readFile(target), "old");
    EXPECT_EQ(entries(dir.path()), (Names{"kept.csv", "link.csv"}));
    ::chmod(target.c_str(), 0200); // the owner may write: replaced
    EXPECT_FALSE(writeAll(target, "new"));
    EXPECT_EQ(readFile(target), "new");
}

// A pipe is written directly, once; nothing is made beside it. Nobody
// reading it, it is refused at once unless the caller waits. So is an open
// descriptor named as a path: opened again, a file behind it would be
// written from its start instead of appended to.
TEST(SafeFileWriter, PipesAndDescriptorNamesAreWrittenDirectly)
{
    TempDir dir;
    const auto fifo = dir / "pipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const auto unread = writeAll(fifo, "rows\r\n");
    ASSERT_TRUE(unread);
    EXPECT_EQ(unread->sysError, ENXIO);
    EXPECT_NE(unread->reason().find("読み出す側のないパイプ"), std::string::npos) << unread->reason();
    std::string got;
    std::thread reader([&] { got = readFile(fifo); });
    SafeFileWriter writer;  // waits for the reader to come
    EXPECT_FALSE(writer.open(fifo, platform::PipeReader::Wait) || !writer.write("rows\r\n") || writer.commit());
    reader.join();
    EXPECT_EQ(got, "rows\r\n");
    EXPECT_EQ(entries(dir.path()), Names{"pipe"});

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
        EXPECT_EQ(entries(dir.path()), Names{"out.csv"});
        EXPECT_EQ(readFile(dir / "out.csv"), "old");
    }
}

// Any name the file system takes, up to its 255 bytes: new, then replaced.
// The hidden file beside it is named within that limit too.
TEST(SafeFileWriter, NamesUpToTheLimit)
{
    TempDir dir;
    std::string japanese;
    for (int i = 0; i < 85; ++i)
        japanese += "あ";
    for (const std::string& name : {std::string(255, 'x'), japanese}) {
        for (const char* rows : {"new", "replaced"}) {
            const auto error = writeAll(dir / name, rows);
            ASSERT_FALSE(error) << error->reason();
        }
        EXPECT_EQ(readFile(dir / name), "replaced");
    }
    EXPECT_EQ(entries(dir.path()), (Names{std::string(255, 'x'), japanese}));
}

} // namespace
