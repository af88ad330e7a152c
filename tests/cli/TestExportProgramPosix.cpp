// The real program run by a shell, as users run it on Linux: file-size
// limits, pipes, appending, signals, the settings, the published archive.
#include "tests/cli/ExportTesting.h"
#include "postal/PostalList.h"
#include "tests/support/RealList.h"
#include "tests/support/ZipPacking.h"

#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using testlines::line;
using testsupport::packZip;
using testsupport::readFile;
using testsupport::TempDir;
using testsupport::writeFile;

namespace {

// The real program, run by a shell as users run it. `E` is the program.
class ExportProgram : public ExportCommand
{
protected:
    std::string lfList = line("13101", "千代田", "東京都", "\n") + line("14101", "鶴見", "神奈川県", "\n") +
                         line("13102", "中央", "東京都", "\n");
    std::string lfTokyo = line("13101", "千代田", "東京都") + line("13102", "中央", "東京都");

    // The shell's exit status; 128 + the signal when a signal ended it.
    int sh(const std::string& script)
    {
        const std::string command = "cd '" + dir.path().string() + "' || exit 99; E='" +
                                    DOZUZEZO_EXPORT_EXE + "'; " + script;
        const int status = std::system(("timeout 60 sh -c \"" + command + "\"").c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
};

// Under a file-size limit it reports the failure with a non-zero status
// rather than be killed half-way, and keeps the old file.
TEST_F(ExportProgram, SurvivesAFileSizeLimit)
{
    std::string big;
    for (int i = 0; i < 3000; ++i)
        big += tokyo;
    writeFile(list, big);
    writeFile(out, "old");
    EXPECT_EQ(sh("ulimit -f 64 && \\$E -l KEN_ALL.CSV -o out.csv 13 2>err"), cli::WriteError);
    EXPECT_NE(readFile(dir / "err").find("上限"), std::string::npos);
    EXPECT_EQ(readFile(out), "old");
}

// An LF list goes out in the list layout, once, wherever the output goes.
TEST_F(ExportProgram, StandardOutputAndFifosGetTheRowsOnce)
{
    writeFile(dir / "lf.csv", lfList);
    for (const std::string output : {"-", "/dev/stdout", "/dev/fd/1"}) {
        ASSERT_EQ(sh("\\$E -l lf.csv -o " + output + " 13 > got"), 0) << output;
        EXPECT_EQ(readFile(dir / "got"), lfTokyo) << output;
    }
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    ASSERT_EQ(sh("cat fifo > got & \\$E -l lf.csv -o fifo 13; s=\\$?; wait; exit \\$s"), 0);
    EXPECT_EQ(readFile(dir / "got"), lfTokyo);
}

TEST_F(ExportProgram, AppendsWhereTheShellAppends)
{
    for (const std::string output : {"-", "/dev/stdout"}) {
        writeFile(dir / "log", "old\n");
        ASSERT_EQ(sh("\\$E -l KEN_ALL.CSV -o " + output + " 13 >> log"), 0) << output;
        EXPECT_EQ(readFile(dir / "log"), "old\n" + tokyo) << output;
    }
}

TEST_F(ExportProgram, NotAListIsRefusedEarly)
{
    EXPECT_EQ(sh("\\$E -l /dev/zero -o out.csv 13 2> err"), cli::ListError);
    EXPECT_NE(readFile(dir / "err").find("NUL"), std::string::npos) << readFile(dir / "err");
    writeFile(dir / "bom.csv", "\xEF\xBB\xBF" + tokyo);
    EXPECT_EQ(sh("\\$E -l bom.csv -o out.csv 13 2> err"), cli::ListError);
    EXPECT_NE(readFile(dir / "err").find("BOM"), std::string::npos) << readFile(dir / "err");
    EXPECT_FALSE(std::filesystem::exists(out));
}

// Ended while the list is still coming (a FIFO here): no file is made,
// neither the target nor a temporary one.
TEST_F(ExportProgram, EndedWhileReadingLeavesNothing)
{
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) {
        const auto fifo = dir / "list.fifo";
        ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
        const pid_t child = ::fork();
        if (child == 0) {
            ::execl(DOZUZEZO_EXPORT_EXE, DOZUZEZO_EXPORT_EXE, "-l", fifo.c_str(), "-o", out.c_str(), "13",
                    static_cast<char*>(nullptr));
            ::_exit(127);
        }
        const int fd = ::open(fifo.c_str(), O_WRONLY);  // returns once the program reads
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::write(fd, tokyo.data(), tokyo.size()), static_cast<ssize_t>(tokyo.size()));
        ::kill(child, sig);
        int status = 0;
        ::waitpid(child, &status, 0);
        ::close(fd);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == sig) << status;
        std::filesystem::remove(fifo);
        EXPECT_EQ(entries(), std::vector<std::string>{"KEN_ALL.CSV"}) << "signal " << sig;
    }
}

// Another program rewriting the list meanwhile: never a crash; each run
// refuses, or writes a whole list of the chosen rows as they were read (a
// read may meet the old and the new bytes, as any reader's would).
TEST_F(ExportProgram, TheListRewrittenDuringARun)
{
    std::string a, b;
    for (int i = 0; i < 3000; ++i) {
        a += tokyo;
        b += kanagawa + tokyo;
    }
    writeFile(list, a);
    // Stops and joins however the test ends.
    std::jthread rewriter([&](std::stop_token stop) {
        for (int i = 0; !stop.stop_requested(); ++i) {
            const std::string& bytes = i % 2 ? a : b;
            const int fd = ::open(list.c_str(), O_WRONLY | O_TRUNC);
            for (std::size_t at = 0; at < bytes.size(); at += 8192)
                (void)!::write(fd, bytes.data() + at, std::min<std::size_t>(8192, bytes.size() - at));
            ::close(fd);
        }
    });
    for (int run = 0; run < 40; ++run) {
        const int status = sh("\\$E -l KEN_ALL.CSV -o out.csv 13 2>/dev/null");
        ASSERT_TRUE(status == cli::Ok || status == cli::ListError) << "status " << status;
        if (status == cli::Ok) {
            const auto written = postal::PostalList::parse(readFile(out));
            ASSERT_TRUE(written) << written.error->message();
            for (std::size_t row = 0; row < written.list->rowCount(); ++row)
                ASSERT_EQ(written.list->jisCode(row), 13);
        }
    }
    rewriter.request_stop();
    rewriter.join();
    EXPECT_EQ(entries(), (std::vector<std::string>{"KEN_ALL.CSV", "out.csv"})) << "no temporary file left";
}

// Without -l the settings name the folder; the list as published is found
// for the default name, else ken_all.zip. A refused list or archive sends
// nothing down a pipe.
TEST_F(ExportProgram, ReadsTheListOrKenAllZipFoundThroughTheSettings)
{
    TempDir folder;
    packZip(folder / "ken_all.zip", {{"KEN_ALL.CSV", readFile(list)}});
    for (const std::filesystem::path& where : {dir.path(), folder.path()}) {
        writeFile(dir / "settings.ini", "[Config]\nFolderName=" + where.string() + "\nYubin_File=ken_all.csv\n");
        std::filesystem::remove(out);
        EXPECT_EQ(sh("DOZUZEZO_SETTINGS=settings.ini \\$E -o out.csv 14 13"), 0) << where;
        EXPECT_EQ(readFile(out), tokyo + kanagawa) << where;
    }

    writeFile(dir / "damaged.csv", lfList + tokyo + "13101,\"cut");
    writeFile(dir / "bad.zip", readFile(folder / "ken_all.zip").substr(0, 100));
    for (const std::string input : {"damaged.csv", "bad.zip"}) {
        for (const std::string output : {"-", "/dev/stdout"}) {
            SCOPED_TRACE(input + " " + output);
            ASSERT_EQ(sh("{ \\$E -l " + input + " -o " + output + " --all 2>err; echo \\$? > status; } | wc -c > count"), 0);
            EXPECT_EQ(std::stoi(readFile(dir / "status")), cli::ListError);
            EXPECT_EQ(std::stoi(readFile(dir / "count")), 0);
        }
    }
    EXPECT_NE(readFile(dir / "err").find("zip 書庫「bad.zip」"), std::string::npos) << readFile(dir / "err");
    // What the zip reader found comes back from it whole: the list's name and the problem.
    packZip(dir / "crc.zip", {{"data/KEN_ALL.CSV", readFile(list)}});
    testsupport::patchFirstEntry(dir / "crc.zip", testsupport::ZipField::Crc, 7);
    EXPECT_EQ(sh("\\$E -l crc.zip -o out.csv 13 2>err"), cli::ListError);
    EXPECT_NE(readFile(dir / "err").find("一覧「crc.zip」の「data/KEN_ALL.CSV」を読み込めません: zip 書庫「crc.zip」の"
                                         "「data/KEN_ALL.CSV」が壊れています（CRC が一致しません）。"),
              std::string::npos)
        << readFile(dir / "err");
    EXPECT_EQ(readFile(out), tokyo + kanagawa);  // as the runs above left it
}

// The published archive read directly: all 47 give back its list byte for
// byte, and Tokyo with Kanagawa the lines grep finds in it.
TEST_F(ExportProgram, ThePublishedArchiveAsDownloaded)
{
    std::string why;
    const auto zip = testsupport::realListZip(&why);
    const auto csv = testsupport::realList(&why);
    if (!zip || !csv)
        GTEST_SKIP() << why;
    ASSERT_EQ(sh("\\$E -l '" + zip->string() + "' -o all.csv --all"), 0);
    EXPECT_TRUE(readFile(dir / "all.csv") == readFile(*csv)) << "--all differs from the unzipped list";
    ASSERT_EQ(sh("\\$E -l '" + zip->string() + "' -o kanto.csv 13 14"), 0);
    ASSERT_EQ(sh("LC_ALL=C grep -E '^1[34]' '" + csv->string() + "' > grep.out"), 0);
    const std::string kanto = readFile(dir / "kanto.csv");
    EXPECT_GT(kanto.size(), 500'000u);
    EXPECT_TRUE(kanto == readFile(dir / "grep.out")) << "13 14 differs from grep's lines";
}

} // namespace
