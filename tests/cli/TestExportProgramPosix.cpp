// The real program run by a shell, as users run it on Linux: file-size
// limits, full disks, pipes, appending, signals, the settings, archives
// down a pipe.
#include "tests/cli/ExportTesting.h"
#include "tests/support/ZipPacking.h"

#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
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
// rather than be killed half-way, and keeps the old file, nothing beside it.
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
    EXPECT_EQ(entries(), (std::vector<std::string>{"KEN_ALL.CSV", "err", "out.csv"}));
}

// Standard output on a full disk (a device of the test's own): the rows, the
// help and the version alike fail, saying so.
TEST_F(ExportProgram, AFullStandardOutputIsAFailure)
{
    if (testsupport::makeDevice(dir, "full").empty())
        GTEST_SKIP() << testsupport::kNoDevice;
    for (const std::string args : {"--help", "--version", "-l KEN_ALL.CSV -o - 13"}) {
        EXPECT_EQ(sh("\\$E " + args + " > full 2> err"), cli::WriteError) << args;
        EXPECT_EQ(readFile(dir / "err"), "dozuzezo-export: 標準出力に書き込めませんでした。\n");
    }
    for (const std::string option : {"--help", "--version"}) {
        EXPECT_EQ(sh("\\$E " + option + " > got"), cli::Ok) << option;
        EXPECT_TRUE(
            readFile(dir / "got")
                .starts_with(option == "--help" ? "使い方: " : "dozuzezo-export (vevoz君) "));
    }
}

// Out of memory (an address-space limit here), as a CSV file or an archive
// would need: a message and exit 3, never an abort, and nothing written.
TEST_F(ExportProgram, ShortOfMemoryIsReported)
{
#ifdef __SANITIZE_ADDRESS__
    GTEST_SKIP() << "AddressSanitizer needs more address space than the limit leaves";
#endif
    std::string head;
    while (head.size() < 100'000)
        head += tokyo;
    writeFile(dir / "big.csv", head);
    std::filesystem::resize_file(dir / "big.csv", std::uintmax_t(600) << 20);
    packZip(dir / "big.zip", {{"KEN_ALL.CSV", head}});
    testsupport::patchFirstEntry(dir / "big.zip", testsupport::ZipField::Size, 600u << 20);
    for (const std::string list : {"big.csv", "big.zip"}) {
        EXPECT_EQ(sh("ulimit -v 262144 && \\$E -l " + list + " -o out.csv 13 2> err"), cli::ListError) << list;
        EXPECT_NE(readFile(dir / "err").find("を読み込めません: メモリが不足しています。"), std::string::npos)
            << readFile(dir / "err");
    }
    EXPECT_FALSE(std::filesystem::exists(out));
}

// An LF list goes out in the list layout, once, wherever the output goes;
// where the shell appends, the rows are appended.
TEST_F(ExportProgram, StandardOutputAndFifosGetTheRowsOnce)
{
    writeFile(dir / "lf.csv", lfList);
    for (const std::string output : {"-", "/dev/stdout", "/dev/fd/1"}) {
        writeFile(dir / "got", "old\n");
        ASSERT_EQ(sh("\\$E -l lf.csv -o " + output + " 13 >> got"), 0) << output;
        EXPECT_EQ(readFile(dir / "got"), "old\n" + lfTokyo) << output;
    }
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    ASSERT_EQ(sh("cat fifo > got & \\$E -l lf.csv -o fifo 13; s=\\$?; wait; exit \\$s"), 0);
    EXPECT_EQ(readFile(dir / "got"), lfTokyo);
    // The business-office list down a pipe that brings its first line in two pieces.
    writeFile(dir / "offices.csv", testlines::office("13101", "東京都") + testlines::office("14101", "神奈川県"));
    ASSERT_EQ(sh("(head -c 9 offices.csv; sleep 0.2; tail -c +10 offices.csv) | \\$E -l /dev/stdin -o got 14"), 0);
    EXPECT_EQ(readFile(dir / "got"), testlines::office("14101", "神奈川県"));
}

// Without -l the settings name the folder, and the file by its default name
// where they name none: the list as published, else ken_all.zip there. With
// no folder stored, the program's own where it is the user's, else the
// user's data folder, as the window's first start stores it.
TEST_F(ExportProgram, ReadsTheListTheSettingsName)
{
    TempDir folder;
    packZip(folder / "ken_all.zip", {{"KEN_ALL.CSV", readFile(list)}});
    for (const std::filesystem::path& where : {dir.path(), folder.path()}) {
        writeFile(dir / "settings.ini", "[Config]\nFolderName=" + where.string() + "\n");
        EXPECT_EQ(sh("DOZUZEZO_SETTINGS=settings.ini \\$E -o found.csv 14 13"), 0) << where;
        EXPECT_EQ(readFile(dir / "found.csv"), tokyo + kanagawa) << where;
    }
    writeFile(dir / "settings.ini", "[Config]\nYubin_File=ken_all.csv\n");
    const std::filesystem::path exe(DOZUZEZO_EXPORT_EXE);
    for (const bool own : {true, false}) {
        TempDir copy;
        for (const char* file : {"dozuzezo-export", "libdozuzezo-settings-bridge.so"})
            std::filesystem::copy_file(exe.parent_path() / file, copy / file);
        const std::filesystem::path lists = own ? copy.path() : dir / "data/DOZUZEZO/DOZUZEZO";
        std::filesystem::create_directories(lists);
        writeFile(lists / "ken_all.csv", readFile(list));
        // Not our folder: a copy installed by someone else.
        ASSERT_EQ(own ? 0 : chown(copy.path().c_str(), 4321, 4321), 0);
        EXPECT_EQ(sh("DOZUZEZO_SETTINGS=settings.ini XDG_DATA_HOME='" + (dir / "data").string() +
                     "' '" + (copy / "dozuzezo-export").string() + "' -o found.csv 13"),
                  0)
            << own;
        EXPECT_EQ(readFile(dir / "found.csv"), tokyo) << own;
    }
}

// A refused list or archive sends nothing down a pipe; what the zip reader
// found comes back from it whole: the list's name and the problem.
TEST_F(ExportProgram, ARefusedListSendsNothingDownAPipe)
{
    writeFile(dir / "damaged.csv", lfList + tokyo + "13101,\"cut");
    packZip(dir / "crc.zip", {{"data/KEN_ALL.CSV", readFile(list)}});
    testsupport::patchFirstEntry(dir / "crc.zip", testsupport::ZipField::Crc, 7);
    for (const std::string input : {"damaged.csv", "crc.zip"}) {
        for (const std::string output : {"-", "/dev/stdout"}) {
            SCOPED_TRACE(input + " " + output);
            ASSERT_EQ(sh("{ \\$E -l " + input + " -o " + output + " --all 2>err; echo \\$? > status; } | wc -c > count"), 0);
            EXPECT_EQ(std::stoi(readFile(dir / "status")), cli::ListError);
            EXPECT_EQ(std::stoi(readFile(dir / "count")), 0);
        }
    }
    EXPECT_EQ(readFile(dir / "err"),
              "dozuzezo-export: 一覧「crc.zip」の「data/KEN_ALL.CSV」を読み込めません: zip "
              "書庫「crc.zip」の"
              "「data/KEN_ALL.CSV」が壊れています（CRC が一致しません）。\n");
}

} // namespace
