// What the copy and the export's writer do to files as POSIX systems see
// them: permissions, owners and the umask, the order of the calls that make
// a replacement durable, links, devices and pipes, signals, long names.

#include "platform/FileOperations.h"
#include "platform/SafeFileWriter.h"
#include "tests/support/System.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <functional>
#include <thread>
#include <vector>

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using platform::FileError;
using platform::SafeFileWriter;
using platform::WriteError;
using Kind = FileError::Kind;
using testsupport::entries;
using testsupport::readFile;
using testsupport::TempDir;
using testsupport::writeFile;
using Names = std::vector<std::string>;

// The calls that make a replacement durable, in order, recorded by standing
// in for the C library's functions in this test program. A temporary file's
// random ending shows as "*".
namespace {
bool recording = false;
Names calls;

void record(const char* call, const fs::path& path)
{
    std::string name = path.filename().string();
    if (name.size() > 7 && name[0] == '.')
        name.replace(name.size() - 6, 6, "*");
    calls.push_back(std::string(call) + " " + name);
}

template <typename F>
F real(const char* name)
{
    return reinterpret_cast<F>(::dlsym(RTLD_NEXT, name));
}
} // namespace

extern "C" int fsync(int fd)
{
    if (recording) {
        char target[4096];
        const std::string link = "/proc/self/fd/" + std::to_string(fd);
        const ssize_t n = ::readlink(link.c_str(), target, sizeof target - 1);
        record("fsync", std::string(target, std::size_t(std::max<ssize_t>(n, 0))));
    }
    return real<int (*)(int)>("fsync")(fd);
}
extern "C" int rename(const char* from, const char* to) noexcept
{
    if (recording)
        record("rename", to);
    return real<int (*)(const char*, const char*)>("rename")(from, to);
}
extern "C" int renameat2(int fromDir, const char* from, int toDir, const char* to,
                         unsigned int flags) noexcept
{
    if (recording)
        record("rename", to);
    return real<int (*)(int, const char*, int, const char*, unsigned int)>("renameat2")(
        fromDir, from, toDir, to, flags);
}
extern "C" int unlink(const char* path) noexcept
{
    if (recording)
        record("unlink", path);
    return real<int (*)(const char*)>("unlink")(path);
}

namespace {

struct Recording
{
    Recording() { calls.clear(), recording = true; }
    ~Recording() { recording = false; }
};

const std::string kSource = "01101,\"060  \",\"0600000\"\r\n13101,\"100  \",\"1000000\"\r\n";
const std::string kOld = "old target\r\n";

struct stat statOf(const fs::path& path)
{
    struct stat st {};
    ::lstat(path.c_str(), &st);
    return st;
}

// Sets the umask for one test and puts the old one back.
struct Umask
{
    explicit Umask(mode_t mask) : old(::umask(mask)) {}
    ~Umask() { ::umask(old); }
    mode_t old;
};

using Failure = std::pair<Kind, int>;
Failure failure(const std::optional<FileError>& error)
{
    return error ? Failure{error->kind, error->sysError} : Failure{Kind(-1), 0};
}

std::optional<WriteError> writeAll(const fs::path& target, std::string_view bytes)
{
    SafeFileWriter writer;
    if (auto e = writer.open(target))
        return e;
    writer.write(bytes);
    return writer.commit();
}

class PosixFiles : public ::testing::Test
{
protected:
    void SetUp() override { writeFile(source, kSource); }
    TempDir dir;
    fs::path source = dir / "source.csv";
    // The copy and the export's writer, each writing kSource to a target.
    const std::function<bool(const fs::path&)> replacers[2] = {
        [this](const fs::path& target) { return !platform::copyFile(source, target); },
        [](const fs::path& target) { return !writeAll(target, kSource); }};
};

} // namespace

// A new file gets the usual permissions less the umask (a copy: its
// source's); a replaced one keeps its own mode, and its owner and group
// where we may give them (root). A private file's copy stays private.
TEST_F(PosixFiles, ModesAndOwnersOfNewAndReplacedFiles)
{
    Umask mask(027);
    ::chmod(source.c_str(), 0666);
    bool givenAway = true;
    for (const auto& replace : replacers) {
        writeFile(dir / "old.csv",
                  kOld + kOld + kOld); // longer than the source: nothing of it may stay
        ::chmod((dir / "old.csv").c_str(), 0604);
        givenAway = ::chown((dir / "old.csv").c_str(), 1234, 5678) == 0;
        fs::remove(dir / "new.csv");
        ASSERT_TRUE(replace(dir / "new.csv") && replace(dir / "old.csv"));
        for (const char* name : {"new.csv", "old.csv"})
            EXPECT_EQ(readFile(dir / name), kSource) << name;
        EXPECT_EQ(statOf(dir / "new.csv").st_mode & 07777, 0640u);
        const struct stat replaced = statOf(dir / "old.csv");
        EXPECT_EQ(replaced.st_mode & 07777, 0604u);
        EXPECT_TRUE(!givenAway || (replaced.st_uid == 1234 && replaced.st_gid == 5678));
    }
    Umask none(0);
    ::chmod(source.c_str(), 0600);
    ASSERT_FALSE(platform::copyFile(source, dir / "private.csv"));
    EXPECT_EQ(statOf(dir / "private.csv").st_mode & 07777, 0600u);
    EXPECT_EQ(entries(dir.path()), (Names{"new.csv", "old.csv", "private.csv", "source.csv"}));
    if (!givenAway)
        GTEST_SKIP() << "the owner kept needs root, to give the file to another user first";
}

// The new content is on disk before it takes the target's name, and the
// folder after, so a crash leaves the old file or the new one, never neither.
TEST_F(PosixFiles, ReplacementsAreSyncedBeforeAndAfter)
{
    for (const auto& replace : replacers) {
        writeFile(dir / "target.csv", kOld);
        {
            Recording record;
            ASSERT_TRUE(replace(dir / "target.csv"));
        }
        EXPECT_EQ(calls, (Names{"fsync .target.csv.*", "rename target.csv",
                                "fsync " + dir.path().filename().string()}));
        EXPECT_EQ(readFile(dir / "target.csv"), kSource);
    }
}

// A link is followed, a chain of them too, even to a file not there yet:
// what it names is written, and the links stay.
TEST_F(PosixFiles, LinksAreFollowedAndKept)
{
    fs::create_directory(dir / "real");
    fs::create_symlink("real/new.csv", dir / "dangling.csv");
    fs::create_symlink("dangling.csv", dir / "chain.csv");
    fs::create_symlink("real/old.csv", dir / "link.csv");
    for (const auto& replace : replacers) {
        fs::remove(dir / "real" / "new.csv");
        writeFile(dir / "real" / "old.csv", kOld);
        ASSERT_TRUE(replace(dir / "chain.csv") && replace(dir / "link.csv"));
        EXPECT_EQ(readFile(dir / "real" / "new.csv"), kSource);
        EXPECT_EQ(readFile(dir / "real" / "old.csv"), kSource);
        EXPECT_EQ(entries(dir / "real"), (Names{"new.csv", "old.csv"}));
        for (const char* link : {"dangling.csv", "chain.csv", "link.csv"})
            EXPECT_TRUE(fs::is_symlink(dir / link)) << link;
    }
}

TEST_F(PosixFiles, CopyIntoDevicesAndPipes)
{
    const fs::path null = testsupport::makeDevice(dir, "null"), full = testsupport::makeDevice(dir, "full");
    if (null.empty() || full.empty())
        GTEST_SKIP() << testsupport::kNoDevice;
    EXPECT_FALSE(platform::copyFile(source, null));
    EXPECT_TRUE(fs::is_character_file(null));
    EXPECT_EQ(failure(platform::copyFile(source, full)), Failure(Kind::WriteFailed, ENOSPC));

    const fs::path fifo = dir / "pipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // Nobody reading: refused at once instead of hanging the window.
    EXPECT_EQ(failure(platform::copyFile(source, fifo)), Failure(Kind::CreateFailed, ENXIO));

    // More than the pipe holds, its reader slow to start: the copy waits
    // for it, as a shell's redirection does, instead of failing.
    const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    const int holds = ::fcntl(reader, F_GETPIPE_SZ);
    const std::string big(std::size_t(4 * holds), 'x');
    writeFile(dir / "big", big);
    std::string received;
    testsupport::endIfHung(10);
    std::thread slow([&] {
        for (int pending = 0; ::ioctl(reader, FIONREAD, &pending) == 0 && pending < holds;)
            std::this_thread::yield();
        ::fcntl(reader, F_SETFL, 0);
        char buffer[4096];
        for (ssize_t n; (n = ::read(reader, buffer, sizeof buffer)) > 0;)
            received.append(buffer, std::size_t(n));
    });
    EXPECT_FALSE(platform::copyFile(dir / "big", fifo));
    slow.join();
    testsupport::endIfHung(0);
    ::close(reader);
    EXPECT_TRUE(received == big) << received.size();
    EXPECT_TRUE(fs::is_fifo(fifo));
}

// Across file systems the old file goes only once the new one is on disk,
// with its mode.
TEST_F(PosixFiles, AMoveAcrossFileSystemsRemovesTheOldFileLast)
{
    std::string whyNone;
    const fs::path other = testsupport::folderElsewhere(whyNone);
    if (other.empty())
        GTEST_SKIP() << whyNone;
    ::chmod(source.c_str(), 0604);
    const fs::path to = other / "moved.csv";
    {
        Recording record;
        EXPECT_FALSE(platform::renameFile(source, to));
    }
    // The first try in one step fails across file systems.
    EXPECT_EQ(calls, (Names{"rename moved.csv", "fsync .moved.csv.*", "rename moved.csv",
                            "fsync " + other.filename().string(), "unlink source.csv",
                            "fsync " + dir.path().filename().string()}));
    EXPECT_EQ(statOf(to).st_mode & 07777, 0604u);
    fs::remove_all(other);
}

namespace {

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
    EXPECT_NE(unread->reason().find("読み出す側のないパイプ"), std::string::npos)
        << unread->reason();
    std::string got;
    std::thread reader([&] { got = readFile(fifo); });
    SafeFileWriter writer; // waits for the reader to come
    EXPECT_FALSE(writer.open(fifo, platform::PipeReader::Wait) || !writer.write("rows\r\n") ||
                 writer.commit());
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
