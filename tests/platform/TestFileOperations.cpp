// Copy, rename and delete on real files: what ends up where, and that every
// failure leaves each file as it was and nothing half-written behind.

#include "platform/FileOperations.h"
#include "platform/SafeFileWriter.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <functional>
#include <vector>

#include <dlfcn.h>
#include <fcntl.h>
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
const std::string kBig(300000, 'x'); // past the file-size limit below

Names entries(const fs::path& folder)
{
    Names names;
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

// What failed, and the system's error number; -1 for no failure.
using Failure = std::pair<Kind, int>;
Failure failure(const std::optional<FileError>& error)
{
    return error ? Failure{error->kind, error->sysError} : Failure{Kind(-1), 0};
}

// What `operation` fails with in a child process whose files may not grow
// past 100 kB; the program ignores SIGXFSZ, so the write fails part-way.
Failure underAFileSizeLimit(const std::function<std::optional<FileError>()>& operation)
{
    int result[2] = {-2, 0};
    int pipeFd[2];
    if (::pipe(pipeFd) != 0)
        return {Kind(-3), errno};
    const pid_t child = ::fork();
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit {100000, 100000};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        const Failure failed = failure(operation());
        const int code[2] = {int(failed.first), failed.second};
        (void)!::write(pipeFd[1], code, sizeof code);
        ::_exit(0);
    }
    (void)!::read(pipeFd[0], result, sizeof result);
    ::waitpid(child, nullptr, 0);
    ::close(pipeFd[0]), ::close(pipeFd[1]);
    return {Kind(result[0]), result[1]};
}

class FileOperations : public ::testing::Test
{
protected:
    void SetUp() override { writeFile(source, kSource); }
    TempDir dir;
    fs::path source = dir / "source.csv";
};

} // namespace

// ---- copy: what lands where ----

TEST_F(FileOperations, CopyTakesTheSourcesModeLessTheUmaskOrKeepsTheReplacedFilesMode)
{
    Umask mask(027);
    ::chmod(source.c_str(), 0666);
    writeFile(dir / "old.csv", kOld + kOld + kOld); // longer than the source: nothing of it may stay
    ::chmod((dir / "old.csv").c_str(), 0604);
    ASSERT_FALSE(platform::copyFile(source, dir / "new.csv"));
    ASSERT_FALSE(platform::copyFile(source, dir / "old.csv"));
    // A private file stays private.
    Umask none(0);
    ::chmod(source.c_str(), 0600);
    ASSERT_FALSE(platform::copyFile(source, dir / "private.csv"));
    for (const char* name : {"source.csv", "new.csv", "old.csv", "private.csv"})
        EXPECT_EQ(readFile(dir / name), kSource) << name;
    EXPECT_EQ(modeOf(dir / "new.csv"), 0640u);
    EXPECT_EQ(modeOf(dir / "old.csv"), 0604u);
    EXPECT_EQ(modeOf(dir / "private.csv"), 0600u);
    EXPECT_EQ(entries(dir.path()), (Names{"new.csv", "old.csv", "private.csv", "source.csv"}));
}

// The new content is on disk before it takes the target's name, and the
// folder after, so a crash leaves the old file or the new one, never neither.
TEST_F(FileOperations, CopyAndTheWriterSyncBeforeTheyReplace)
{
    const std::function<bool(const fs::path&)> replacers[] = {
        [&](const fs::path& target) { return !platform::copyFile(source, target); },
        [&](const fs::path& target) {
            platform::SafeFileWriter writer;
            return !writer.open(target) && writer.write(kSource) && !writer.commit();
        }};
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

TEST_F(FileOperations, CopyOntoALinkWritesWhereItPointsAndKeepsTheLink)
{
    writeFile(dir / "real.csv", kOld);
    fs::create_symlink("real.csv", dir / "link.csv");
    fs::create_symlink("missing.csv", dir / "dangling.csv");
    ASSERT_FALSE(platform::copyFile(source, dir / "link.csv"));
    ASSERT_FALSE(platform::copyFile(source, dir / "dangling.csv"));
    EXPECT_TRUE(fs::is_symlink(dir / "link.csv") && fs::is_symlink(dir / "dangling.csv"));
    EXPECT_EQ(readFile(dir / "real.csv"), kSource);
    EXPECT_EQ(readFile(dir / "missing.csv"), kSource);
}

TEST_F(FileOperations, CopyIntoDevicesAndPipes)
{
    const fs::path null = testsupport::makeDevice(dir, "null"), full = testsupport::makeDevice(dir, "full");
    if (null.empty() || full.empty())
        GTEST_SKIP() << "needs root, to make devices of its own";
    EXPECT_FALSE(platform::copyFile(source, null));
    EXPECT_TRUE(fs::is_character_file(null));
    EXPECT_EQ(failure(platform::copyFile(source, full)), Failure(Kind::WriteFailed, ENOSPC));

    const fs::path fifo = dir / "pipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // Nobody reading: refused at once instead of hanging the window.
    EXPECT_EQ(failure(platform::copyFile(source, fifo)), Failure(Kind::CreateFailed, ENXIO));

    const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    EXPECT_FALSE(platform::copyFile(source, fifo)); // fits in the pipe's buffer
    std::string received(4096, '\0');
    received.resize(std::size_t(std::max<ssize_t>(::read(reader, received.data(), 4096), 0)));
    ::close(reader);
    EXPECT_EQ(received, kSource);
    EXPECT_TRUE(fs::is_fifo(fifo));
}

// ---- refusals leave the source, the target and the folder as they were ----

enum Op { Copy, Rename, Delete };
using enum Kind;

struct Refusal
{
    const char* name;
    Op op;
    const char* made; // "dir:N", "link:N>T", "hard:N" or "readonly:N", made first
    const char* from; // "": the source
    std::string to;
    Kind kind;
    int sysError;
};

void make(const fs::path& d, const std::string& what)
{
    const std::string how = what.substr(0, what.find(':')), name = what.substr(how.size() + 1);
    if (how == "dir")
        fs::create_directory(d / name);
    else if (how == "link")
        fs::create_symlink(name.substr(name.find('>') + 1), d / name.substr(0, name.find('>')));
    else if (how == "hard")
        fs::create_hard_link(d / "source.csv", d / name);
    else
        ::chmod((d / name).c_str(), 0444);
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
    if (*c.made)
        make(dir.path(), c.made);
    const Names before = entries(dir.path());
    const fs::path from = dir / (*c.from ? c.from : "source.csv"), to = dir / c.to;

    const auto error = c.op == Copy     ? platform::copyFile(from, to)
                       : c.op == Rename ? platform::renameFile(from, to)
                                        : platform::deleteFile(from);
    ASSERT_EQ(failure(error), Failure(c.kind, c.sysError));
    EXPECT_EQ(error->path, c.kind == Kind::SourceMissing || c.kind == Kind::SourceNotAFile ? from : to);
    EXPECT_EQ(readFile(dir / "source.csv"), kSource);
    EXPECT_EQ(readFile(dir / "other.csv"), kOld);
    EXPECT_EQ(entries(dir.path()), before);
}

const std::string kNul = std::string("a\0b", 3);

// clang-format off
const Refusal kRefusals[] = {
    {"Copy_SamePath", Copy, "", "", "source.csv", SameFile, 0},
    {"Copy_OtherSpelling", Copy, "dir:sub", "", "sub/.././source.csv", SameFile, 0},
    {"Copy_SymbolicLink", Copy, "link:link.csv>source.csv", "", "link.csv", SameFile, 0},
    {"Copy_HardLink", Copy, "hard:hard.csv", "", "hard.csv", SameFile, 0},
    {"Copy_FolderMissing", Copy, "", "", "nowhere/copy.csv", FolderMissing, ENOENT},
    {"Copy_FileAsFolder", Copy, "", "", "other.csv/copy.csv", FolderMissing, ENOTDIR},
    {"Copy_FolderInTheWay", Copy, "dir:folder.csv", "", "folder.csv", TargetNotAFile, EISDIR},
    {"Copy_ReadOnlyTarget", Copy, "readonly:other.csv", "", "other.csv", TargetReadOnly, EACCES},
    {"Copy_NulInName", Copy, "", "", kNul, InvalidName, EINVAL},
    {"Copy_SourceGone", Copy, "", "gone.csv", "copy.csv", SourceMissing, ENOENT},
    {"Copy_SourceAFolder", Copy, "dir:folder", "folder", "copy.csv", SourceNotAFile, EISDIR},
    {"Rename_ExistingFile", Rename, "", "", "other.csv", TargetExists, EEXIST},
    {"Rename_ItsOwnName", Rename, "", "", "source.csv", TargetExists, EEXIST},
    {"Rename_ExistingFolder", Rename, "dir:folder", "", "folder", TargetExists, EEXIST},
    {"Rename_DanglingLink", Rename, "link:link.csv>nothing.csv", "", "link.csv", TargetExists, EEXIST},
    {"Rename_FolderMissing", Rename, "", "", "nowhere/new.csv", FolderMissing, ENOENT},
    {"Rename_FileAsFolder", Rename, "", "", "other.csv/new.csv", FolderMissing, ENOTDIR},
    {"Rename_NulInName", Rename, "", "", kNul, InvalidName, EINVAL},
    {"Rename_SourceGone", Rename, "", "gone.csv", "new.csv", SourceMissing, ENOENT},
    {"Rename_SourceAFolder", Rename, "dir:folder", "folder", "new", SourceNotAFile, EISDIR},
    {"Delete_Gone", Delete, "", "gone.csv", "", SourceMissing, ENOENT},
    {"Delete_AFolder", Delete, "dir:folder.csv", "folder.csv", "", SourceNotAFile, EISDIR},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Files, Refused, ::testing::ValuesIn(kRefusals),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(FileOperations, CopyPastAFileSizeLimitKeepsTheOldTarget)
{
    writeFile(source, kBig);
    writeFile(dir / "target.csv", kOld);
    EXPECT_EQ(underAFileSizeLimit([&] { return platform::copyFile(source, dir / "target.csv"); }),
              Failure(Kind::WriteFailed, EFBIG));
    EXPECT_EQ(readFile(dir / "target.csv"), kOld);
    EXPECT_EQ(entries(dir.path()), (Names{"source.csv", "target.csv"}));
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

// The old file goes only once the new one is on disk, with its mode and time.
TEST_F(RenameAcross, MovesTheFileAndRemovesTheOldOneLast)
{
    ::chmod(source.c_str(), 0604);
    const struct timespec times[2] = {{1000000000, 0}, {1100000000, 0}};
    ::utimensat(AT_FDCWD, source.c_str(), times, 0);
    const fs::path to = other / "moved.csv";
    {
        Recording record;
        ASSERT_FALSE(platform::renameFile(source, to));
    }
    // The first try in one step fails across file systems.
    EXPECT_EQ(calls, (Names{"rename moved.csv", "fsync .moved.csv.*", "rename moved.csv",
                            "fsync " + other.filename().string(), "unlink source.csv",
                            "fsync " + dir.path().filename().string()}));
    EXPECT_FALSE(fs::exists(source));
    EXPECT_EQ(readFile(to), kSource);
    EXPECT_EQ(modeOf(to), 0604u);
    struct stat st {};
    ::stat(to.c_str(), &st);
    EXPECT_EQ(st.st_mtim.tv_sec, 1100000000);
    EXPECT_EQ(entries(other), Names{"moved.csv"});
}

TEST_F(RenameAcross, PastAFileSizeLimitKeepsTheOldFile)
{
    writeFile(source, kBig);
    EXPECT_EQ(underAFileSizeLimit([&] { return platform::renameFile(source, other / "moved.csv"); }),
              Failure(Kind::WriteFailed, EFBIG));
    EXPECT_EQ(readFile(source), kBig);
    EXPECT_TRUE(entries(other).empty());
}

TEST_F(RenameAcross, NeverReplacesThere)
{
    writeFile(other / "taken.csv", kOld);
    EXPECT_EQ(failure(platform::renameFile(source, other / "taken.csv")).first, Kind::TargetExists);
    EXPECT_EQ(readFile(source), kSource);
    EXPECT_EQ(readFile(other / "taken.csv"), kOld);
    EXPECT_EQ(entries(other), Names{"taken.csv"});
}

// ---- delete ----

TEST_F(FileOperations, DeleteRemovesOutrightAndOnlyALinkItself)
{
    writeFile(dir / "real.csv", kOld);
    fs::create_symlink("real.csv", dir / "link.csv");
    ASSERT_FALSE(platform::deleteFile(dir / "link.csv"));
    EXPECT_EQ(readFile(dir / "real.csv"), kOld);
    ASSERT_FALSE(platform::deleteFile(source));
    EXPECT_EQ(entries(dir.path()), Names{"real.csv"});
}
