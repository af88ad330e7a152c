// Copy, rename and delete on real files: what ends up where, and that every
// failure leaves each file as it was and nothing half-written behind.

#include "platform/FileOperations.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <functional>
#include <vector>

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using platform::FileError;
using Kind = FileError::Kind;
using testsupport::readFile;
using testsupport::TempDir;
using testsupport::writeFile;

// The order of the calls that make a replacement durable, recorded by
// standing in for the C library's functions in this test program.
namespace {
bool recording = false;
std::vector<std::string> calls;

std::string nameOfFd(int fd)
{
    char target[4096];
    const std::string link = "/proc/self/fd/" + std::to_string(fd);
    const ssize_t n = ::readlink(link.c_str(), target, sizeof target - 1);
    return n > 0 ? fs::path(std::string(target, std::size_t(n))).filename().string() : "?";
}

template <typename F>
F real(const char* name)
{
    return reinterpret_cast<F>(::dlsym(RTLD_NEXT, name));
}
} // namespace

extern "C" int fsync(int fd)
{
    if (recording)
        calls.push_back("fsync " + nameOfFd(fd));
    return real<int (*)(int)>("fsync")(fd);
}
extern "C" int rename(const char* from, const char* to) noexcept
{
    if (recording)
        calls.push_back("rename " + fs::path(to).filename().string());
    return real<int (*)(const char*, const char*)>("rename")(from, to);
}
extern "C" int renameat2(int fromDir, const char* from, int toDir, const char* to,
                         unsigned int flags) noexcept
{
    if (recording)
        calls.push_back("rename " + fs::path(to).filename().string());
    return real<int (*)(int, const char*, int, const char*, unsigned int)>("renameat2")(
        fromDir, from, toDir, to, flags);
}
extern "C" int unlink(const char* path) noexcept
{
    if (recording)
        calls.push_back("unlink " + fs::path(path).filename().string());
    return real<int (*)(const char*)>("unlink")(path);
}

namespace {

struct Recording
{
    Recording()
    {
        calls.clear();
        recording = true;
    }
    ~Recording() { recording = false; }
};

const std::string kSource = "01101,\"060  \",\"0600000\"\r\n13101,\"100  \",\"1000000\"\r\n";
const std::string kOld = "old target\r\n";

std::vector<std::string> entries(const fs::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

mode_t modeOf(const fs::path& path)
{
    struct stat st {};
    ::lstat(path.c_str(), &st);
    return st.st_mode & 07777;
}

// Sets the umask for one test and puts the old one back.
struct Umask
{
    explicit Umask(mode_t mask) : old(::umask(mask)) {}
    ~Umask() { ::umask(old); }
    mode_t old;
};

// A small tmpfs of its own, or the reason there is none.
struct SmallDisk
{
    explicit SmallDisk(const fs::path& at, const char* size)
        : path(at)
    {
        fs::create_directory(at);
        mounted = ::mount("tmpfs", at.c_str(), "tmpfs", 0, size) == 0;
    }
    ~SmallDisk()
    {
        if (mounted)
            ::umount2(path.c_str(), MNT_DETACH);
    }
    fs::path path;
    bool mounted = false;
};

std::string bytes(std::size_t size)
{
    std::string out(size, 'x');
    for (std::size_t i = 0; i < size; i += 97)
        out[i] = char('0' + i % 10);
    return out;
}

class FileOperations : public ::testing::Test
{
protected:
    void SetUp() override
    {
        source = dir / "source.csv";
        writeFile(source, kSource);
    }
    TempDir dir;
    fs::path source;
};

} // namespace

// ---- copy: where the copy lands and with what permissions ----

TEST_F(FileOperations, CopyMakesAnExactCopyWithTheSourcesModeLessTheUmask)
{
    Umask mask(027);
    ::chmod(source.c_str(), 0666);
    ASSERT_FALSE(platform::copyFile(source, dir / "new.csv"));
    EXPECT_EQ(readFile(dir / "new.csv"), kSource);
    EXPECT_EQ(readFile(source), kSource);
    EXPECT_EQ(modeOf(dir / "new.csv"), 0640u);

    // A private file stays private.
    Umask none(0);
    ::chmod(source.c_str(), 0600);
    ASSERT_FALSE(platform::copyFile(source, dir / "private.csv"));
    EXPECT_EQ(modeOf(dir / "private.csv"), 0600u);
    EXPECT_EQ(entries(dir.path()),
              (std::vector<std::string>{"new.csv", "private.csv", "source.csv"}));
}

TEST_F(FileOperations, CopyReplacesAnExistingFileKeepingItsMode)
{
    const fs::path target = dir / "target.csv";
    writeFile(target, kOld + kOld + kOld); // longer than the source: nothing of it may stay
    ::chmod(target.c_str(), 0604);
    ASSERT_FALSE(platform::copyFile(source, target));
    EXPECT_EQ(readFile(target), kSource);
    EXPECT_EQ(modeOf(target), 0604u);
    EXPECT_EQ(entries(dir.path()), (std::vector<std::string>{"source.csv", "target.csv"}));
}

// The new content is on disk before it takes the target's name, and the
// folder after, so a crash leaves the old file or the new one, never neither.
TEST_F(FileOperations, CopySyncsBeforeItReplaces)
{
    const fs::path target = dir / "target.csv";
    writeFile(target, kOld);
    {
        Recording record;
        ASSERT_FALSE(platform::copyFile(source, target));
    }
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].rfind("fsync .target.csv.", 0), 0u) << calls[0];
    EXPECT_EQ(calls[1], "rename target.csv");
    EXPECT_EQ(calls[2], "fsync " + dir.path().filename().string());
}

TEST_F(FileOperations, CopyNamesExactlyWhatIsGiven)
{
    fs::create_directory(dir / "sub");
    const fs::path old = fs::current_path();
    fs::current_path(dir.path());
    const auto blanks = platform::copyFile(source, "   ");
    const auto bare = platform::copyFile(source, "bare");
    const auto relative = platform::copyFile("source.csv", "sub/relative.CSV");
    fs::current_path(old);
    EXPECT_FALSE(blanks);
    EXPECT_FALSE(bare);
    EXPECT_FALSE(relative);
    EXPECT_EQ(readFile(dir / "   "), kSource);
    EXPECT_EQ(readFile(dir / "bare"), kSource);
    EXPECT_EQ(readFile(dir / "sub" / "relative.CSV"), kSource);
}

TEST_F(FileOperations, CopyOntoALinkWritesWhereItPointsAndKeepsTheLink)
{
    writeFile(dir / "real.csv", kOld);
    fs::create_symlink("real.csv", dir / "link.csv");
    fs::create_symlink("missing.csv", dir / "dangling.csv");
    ASSERT_FALSE(platform::copyFile(source, dir / "link.csv"));
    ASSERT_FALSE(platform::copyFile(source, dir / "dangling.csv"));
    EXPECT_TRUE(fs::is_symlink(dir / "link.csv"));
    EXPECT_TRUE(fs::is_symlink(dir / "dangling.csv"));
    EXPECT_EQ(readFile(dir / "real.csv"), kSource);
    EXPECT_EQ(readFile(dir / "missing.csv"), kSource);
}

TEST_F(FileOperations, CopyIntoDevicesAndPipes)
{
    EXPECT_FALSE(platform::copyFile(source, "/dev/null"));
    EXPECT_TRUE(fs::is_character_file("/dev/null"));

    const auto full = platform::copyFile(source, "/dev/full");
    ASSERT_TRUE(full);
    EXPECT_EQ(full->kind, Kind::WriteFailed);
    EXPECT_EQ(full->sysError, ENOSPC);

    const fs::path fifo = dir / "pipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // Nobody reading: refused at once instead of hanging the window.
    const auto unread = platform::copyFile(source, fifo);
    ASSERT_TRUE(unread);
    EXPECT_EQ(unread->kind, Kind::CreateFailed);
    EXPECT_EQ(unread->sysError, ENXIO);

    const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    const auto piped = platform::copyFile(source, fifo); // fits in the pipe's buffer
    std::string received;
    char buffer[4096];
    ssize_t n;
    while ((n = ::read(reader, buffer, sizeof buffer)) > 0)
        received.append(buffer, std::size_t(n));
    ::close(reader);
    EXPECT_FALSE(piped);
    EXPECT_EQ(received, kSource);
    EXPECT_TRUE(fs::is_fifo(fifo));
}

// ---- copy: refusals leave the source, the target and the folder as they were ----

struct CopyRefusal
{
    const char* name;
    std::function<fs::path(const fs::path& dir)> prepare; // returns the target
    Kind kind;
    int sysError;
};

class CopyRefused : public ::testing::TestWithParam<CopyRefusal>
{
};

TEST_P(CopyRefused, LeavesEverythingAsItWas)
{
    TempDir dir;
    const fs::path source = dir / "source.csv";
    writeFile(source, kSource);
    writeFile(dir / "other.csv", kOld);
    const fs::path target = GetParam().prepare(dir.path());
    const std::vector<std::string> before = entries(dir.path());

    const auto error = platform::copyFile(source, target);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->kind, GetParam().kind);
    EXPECT_EQ(error->sysError, GetParam().sysError);
    EXPECT_EQ(error->path, target);
    EXPECT_EQ(readFile(source), kSource);
    EXPECT_EQ(readFile(dir / "other.csv"), kOld);
    EXPECT_EQ(entries(dir.path()), before);
}

const CopyRefusal kCopyRefusals[] = {
    {"SamePath", [](const fs::path& d) { return d / "source.csv"; }, Kind::SameFile, 0},
    {"OtherSpelling",
     [](const fs::path& d) {
         fs::create_directory(d / "sub");
         return d / "sub" / ".." / "." / "source.csv";
     },
     Kind::SameFile, 0},
    {"SymbolicLink",
     [](const fs::path& d) {
         fs::create_symlink("source.csv", d / "link.csv");
         return d / "link.csv";
     },
     Kind::SameFile, 0},
    {"HardLink",
     [](const fs::path& d) {
         fs::create_hard_link(d / "source.csv", d / "hard.csv");
         return d / "hard.csv";
     },
     Kind::SameFile, 0},
    {"FolderMissing", [](const fs::path& d) { return d / "nowhere" / "copy.csv"; },
     Kind::FolderMissing, ENOENT},
    {"FileAsFolder", [](const fs::path& d) { return d / "other.csv" / "copy.csv"; },
     Kind::FolderMissing, ENOTDIR},
    {"FolderInTheWay",
     [](const fs::path& d) {
         fs::create_directory(d / "folder.csv");
         return d / "folder.csv";
     },
     Kind::TargetNotAFile, EISDIR},
    {"ReadOnlyTarget",
     [](const fs::path& d) {
         ::chmod((d / "other.csv").c_str(), 0444);
         return d / "other.csv";
     },
     Kind::TargetReadOnly, EACCES},
    {"NulInName", [](const fs::path& d) { return fs::path((d / "a").native() + '\0' + "b"); },
     Kind::InvalidName, EINVAL},
};

INSTANTIATE_TEST_SUITE_P(Copy, CopyRefused, ::testing::ValuesIn(kCopyRefusals),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(FileOperations, CopyOfWhatIsNoFile)
{
    const auto gone = platform::copyFile(dir / "gone.csv", dir / "copy.csv");
    ASSERT_TRUE(gone);
    EXPECT_EQ(gone->kind, Kind::SourceMissing);
    EXPECT_EQ(gone->sysError, ENOENT);
    EXPECT_EQ(gone->path, dir / "gone.csv");

    fs::create_directory(dir / "folder");
    const auto folder = platform::copyFile(dir / "folder", dir / "copy.csv");
    ASSERT_TRUE(folder);
    EXPECT_EQ(folder->kind, Kind::SourceNotAFile);
    EXPECT_FALSE(fs::exists(dir / "copy.csv"));
}

// A file-size limit stops the write part-way (the program ignores SIGXFSZ).
TEST_F(FileOperations, CopyPastAFileSizeLimitKeepsTheOldTarget)
{
    writeFile(source, bytes(300000));
    const fs::path target = dir / "target.csv";
    writeFile(target, kOld);
    int result[2] = {-2, 0};
    int pipeFd[2];
    ASSERT_EQ(::pipe(pipeFd), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit {100000, 100000};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        const auto error = platform::copyFile(source, target);
        const int code[2] = {error ? int(error->kind) : -1, error ? error->sysError : 0};
        (void)!::write(pipeFd[1], code, sizeof code);
        ::_exit(0);
    }
    ASSERT_EQ(::read(pipeFd[0], result, sizeof result), ssize_t(sizeof result));
    ::waitpid(child, nullptr, 0);
    EXPECT_EQ(result[0], int(Kind::WriteFailed));
    EXPECT_EQ(result[1], EFBIG);
    EXPECT_EQ(readFile(target), kOld);
    EXPECT_EQ(entries(dir.path()), (std::vector<std::string>{"source.csv", "target.csv"}));
}

TEST_F(FileOperations, CopyOntoAFullDiskKeepsTheOldTarget)
{
    SmallDisk disk(dir / "disk", "size=64k");
    if (!disk.mounted)
        GTEST_SKIP() << "cannot mount a small tmpfs here (needs root in its own mount namespace)";
    writeFile(source, bytes(200000));
    const fs::path target = disk.path / "target.csv";
    writeFile(target, kOld);
    const auto error = platform::copyFile(source, target);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->kind, Kind::WriteFailed);
    EXPECT_EQ(error->sysError, ENOSPC);
    EXPECT_EQ(readFile(target), kOld);
    EXPECT_EQ(entries(disk.path), std::vector<std::string>{"target.csv"});
}

// ---- rename ----

TEST_F(FileOperations, RenameGivesTheFileItsNewNameOrFolder)
{
    fs::create_directory(dir / "sub");
    ::chmod(source.c_str(), 0640);
    ASSERT_FALSE(platform::renameFile(source, dir / "renamed"));
    ASSERT_FALSE(platform::renameFile(dir / "renamed", dir / "sub" / "moved.csv"));
    EXPECT_EQ(readFile(dir / "sub" / "moved.csv"), kSource);
    EXPECT_EQ(modeOf(dir / "sub" / "moved.csv"), 0640u);
    EXPECT_EQ(entries(dir.path()), std::vector<std::string>{"sub"});
}

struct RenameRefusal
{
    const char* name;
    std::function<fs::path(const fs::path& dir)> prepare; // returns the new name
    Kind kind;
    int sysError;
};

class RenameRefused : public ::testing::TestWithParam<RenameRefusal>
{
};

TEST_P(RenameRefused, LeavesBothFilesAsTheyWere)
{
    TempDir dir;
    const fs::path from = dir / "from.csv";
    writeFile(from, kSource);
    writeFile(dir / "other.csv", kOld);
    const fs::path to = GetParam().prepare(dir.path());
    const std::vector<std::string> before = entries(dir.path());

    const auto error = platform::renameFile(from, to);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->kind, GetParam().kind);
    EXPECT_EQ(error->sysError, GetParam().sysError);
    EXPECT_EQ(readFile(from), kSource);
    EXPECT_EQ(readFile(dir / "other.csv"), kOld);
    EXPECT_EQ(entries(dir.path()), before);
}

const RenameRefusal kRenameRefusals[] = {
    {"ExistingFile", [](const fs::path& d) { return d / "other.csv"; }, Kind::TargetExists,
     EEXIST},
    {"ItsOwnName", [](const fs::path& d) { return d / "from.csv"; }, Kind::TargetExists, EEXIST},
    {"ExistingFolder",
     [](const fs::path& d) {
         fs::create_directory(d / "folder");
         return d / "folder";
     },
     Kind::TargetExists, EEXIST},
    {"DanglingLink",
     [](const fs::path& d) {
         fs::create_symlink("nothing.csv", d / "link.csv");
         return d / "link.csv";
     },
     Kind::TargetExists, EEXIST},
    {"FolderMissing", [](const fs::path& d) { return d / "nowhere" / "new.csv"; },
     Kind::FolderMissing, ENOENT},
    {"FileAsFolder", [](const fs::path& d) { return d / "other.csv" / "new.csv"; },
     Kind::FolderMissing, ENOTDIR},
    {"NulInName", [](const fs::path& d) { return fs::path((d / "a").native() + '\0' + "b"); },
     Kind::InvalidName, EINVAL},
};

INSTANTIATE_TEST_SUITE_P(Rename, RenameRefused, ::testing::ValuesIn(kRenameRefusals),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(FileOperations, RenameOfAFileThatIsGone)
{
    const auto error = platform::renameFile(dir / "gone.csv", dir / "new.csv");
    ASSERT_TRUE(error);
    EXPECT_EQ(error->kind, Kind::SourceMissing);
    EXPECT_FALSE(fs::exists(dir / "new.csv"));
}

// ---- rename across file systems ----

class RenameAcross : public FileOperations
{
protected:
    void SetUp() override
    {
        FileOperations::SetUp();
        struct stat a {}, b {};
        if (::stat("/dev/shm", &b) != 0 || ::stat(dir.path().c_str(), &a) != 0 ||
            a.st_dev == b.st_dev)
            GTEST_SKIP() << "/dev/shm is not a file system of its own here";
        std::string pattern = "/dev/shm/dozuzezo-test-XXXXXX";
        ASSERT_TRUE(::mkdtemp(pattern.data()));
        other = pattern;
    }
    void TearDown() override
    {
        std::error_code ec;
        if (!other.empty())
            fs::remove_all(other, ec);
    }
    fs::path other;
};

TEST_F(RenameAcross, MovesTheFileWithItsModeAndTime)
{
    ::chmod(source.c_str(), 0604);
    const struct timespec times[2] = {{1000000000, 0}, {1100000000, 0}};
    ::utimensat(AT_FDCWD, source.c_str(), times, 0);
    const fs::path to = other / "moved.csv";
    ASSERT_FALSE(platform::renameFile(source, to));
    EXPECT_FALSE(fs::exists(source));
    EXPECT_EQ(readFile(to), kSource);
    EXPECT_EQ(modeOf(to), 0604u);
    struct stat st {};
    ::stat(to.c_str(), &st);
    EXPECT_EQ(st.st_mtim.tv_sec, 1100000000);
    EXPECT_EQ(entries(other), std::vector<std::string>{"moved.csv"});
}

TEST_F(RenameAcross, RemovesTheOldFileOnlyOnceTheNewOneIsOnDisk)
{
    {
        Recording record;
        ASSERT_FALSE(platform::renameFile(source, other / "moved.csv"));
    }
    // The first try in one step fails across file systems.
    ASSERT_EQ(calls.size(), 6u);
    EXPECT_EQ(calls[0], "rename moved.csv");
    EXPECT_EQ(calls[1].rfind("fsync .moved.csv.", 0), 0u) << calls[1];
    EXPECT_EQ(calls[2], "rename moved.csv");
    EXPECT_EQ(calls[3], "fsync " + other.filename().string());
    EXPECT_EQ(calls[4], "unlink source.csv");
    EXPECT_EQ(calls[5], "fsync " + dir.path().filename().string());
}

TEST_F(RenameAcross, NeverReplacesThere)
{
    writeFile(other / "taken.csv", kOld);
    const auto error = platform::renameFile(source, other / "taken.csv");
    ASSERT_TRUE(error);
    EXPECT_EQ(error->kind, Kind::TargetExists);
    EXPECT_EQ(readFile(source), kSource);
    EXPECT_EQ(readFile(other / "taken.csv"), kOld);
    EXPECT_EQ(entries(other), std::vector<std::string>{"taken.csv"});
}

TEST_F(RenameAcross, AFullDiskLeavesTheOldFile)
{
    SmallDisk disk(dir / "disk", "size=64k");
    if (!disk.mounted)
        GTEST_SKIP() << "cannot mount a small tmpfs here (needs root in its own mount namespace)";
    writeFile(source, bytes(200000));
    const auto error = platform::renameFile(source, disk.path / "moved.csv");
    ASSERT_TRUE(error);
    EXPECT_EQ(error->kind, Kind::WriteFailed);
    EXPECT_EQ(error->sysError, ENOSPC);
    EXPECT_EQ(readFile(source), bytes(200000));
    EXPECT_TRUE(entries(disk.path).empty());
}

// ---- delete and sameness ----

TEST_F(FileOperations, DeleteRemovesOutrightAndTellsWhatFailed)
{
    writeFile(dir / "real.csv", kOld);
    fs::create_symlink("real.csv", dir / "link.csv");
    ASSERT_FALSE(platform::deleteFile(dir / "link.csv"));
    EXPECT_EQ(readFile(dir / "real.csv"), kOld); // only the link went
    ASSERT_FALSE(platform::deleteFile(source));
    EXPECT_EQ(entries(dir.path()), std::vector<std::string>{"real.csv"});

    const auto gone = platform::deleteFile(source);
    ASSERT_TRUE(gone);
    EXPECT_EQ(gone->kind, Kind::SourceMissing);
    EXPECT_EQ(gone->sysError, ENOENT);

    fs::create_directory(dir / "folder.csv");
    const auto folder = platform::deleteFile(dir / "folder.csv");
    ASSERT_TRUE(folder);
    EXPECT_EQ(folder->kind, Kind::SourceNotAFile);
    EXPECT_TRUE(fs::is_directory(dir / "folder.csv"));
}

TEST_F(FileOperations, SameFileByDeviceAndInode)
{
    fs::create_symlink("source.csv", dir / "link.csv");
    fs::create_hard_link(source, dir / "hard.csv");
    writeFile(dir / "twin.csv", kSource);
    EXPECT_TRUE(platform::isSameFile(source, dir / "link.csv"));
    EXPECT_TRUE(platform::isSameFile(source, dir / "hard.csv"));
    EXPECT_TRUE(platform::isSameFile(source, dir / "." / "source.csv"));
    EXPECT_FALSE(platform::isSameFile(source, dir / "twin.csv")); // same bytes, another file
    EXPECT_FALSE(platform::isSameFile(source, dir / "gone.csv"));
}
