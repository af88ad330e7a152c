#include "cli/ExportCommand.h"
#include "tests/postal/ListLines.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <sstream>

using testlines::line;
using testsupport::readFile;
using testsupport::TempDir;
using testsupport::writeFile;

namespace {

struct Outcome
{
    int code;
    std::string out, err;
};

class ExportCommand : public testing::Test
{
protected:
    TempDir dir;
    std::string tokyo = line("13101", "千代田", "東京都");
    std::string kanagawa = line("14101", "鶴見", "神奈川県");
    std::filesystem::path list = dir / "KEN_ALL.CSV";
    std::filesystem::path out = dir / "out.csv";

    void SetUp() override { writeFile(list, line("01101") + tokyo + kanagawa + line("47201")); }

    Outcome run(std::vector<std::string> args)
    {
        std::ostringstream o, e;
        const int code = cli::runExport(
            args, [this](std::string&) { return std::optional<std::filesystem::path>(list); }, o, e);
        return {code, o.str(), e.str()};
    }
};

TEST_F(ExportCommand, ChoosesByNameShortNameOrCode)
{
    Outcome r = run({"-l", list.string(), "-o", out.string(), "神奈川県", "13"});
    ASSERT_EQ(r.code, cli::Ok) << r.err;
    EXPECT_EQ(readFile(out), tokyo + kanagawa);

    r = run({"--output", out.string(), "東京"});  // the list the settings name
    ASSERT_EQ(r.code, cli::Ok) << r.err;
    EXPECT_EQ(readFile(out), tokyo);

    r = run({"-o", "-", "--all"});
    ASSERT_EQ(r.code, cli::Ok) << r.err;
    EXPECT_EQ(r.out, readFile(list));
}

TEST_F(ExportCommand, UsageErrorsWriteNothing)
{
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"-o", out.string()},                    // nothing chosen
             {"13"},                                  // no output
             {"-o", out.string(), "東京府"},          // no such prefecture
             {"-o", out.string(), "48"},
             {"-o", out.string(), "--bogus", "13"},
             {"13", "-o"}}) {
        Outcome r = run(args);
        EXPECT_EQ(r.code, cli::UsageError) << args.back();
        EXPECT_NE(r.err.find("dozuzezo-export: "), std::string::npos);
        EXPECT_FALSE(std::filesystem::exists(out));
    }
    Outcome help = run({"--help"});
    EXPECT_EQ(help.code, cli::Ok);
    EXPECT_NE(help.out.find("使い方"), std::string::npos);
}

TEST_F(ExportCommand, ADamagedListIsRefusedWithItsLine)
{
    writeFile(list, tokyo + "13101,\"x\"\r\n");
    writeFile(out, "keep");
    Outcome r = run({"-o", out.string(), "13"});
    EXPECT_EQ(r.code, cli::ListError);
    EXPECT_NE(r.err.find("2 行目"), std::string::npos) << r.err;
    EXPECT_EQ(readFile(out), "keep");

    r = run({"-l", (dir / "missing.csv").string(), "-o", out.string(), "13"});
    EXPECT_EQ(r.code, cli::ListError);
}

TEST_F(ExportCommand, AnUnwritableTargetIsAFailure)
{
    Outcome r = run({"-o", (dir / "none" / "out.csv").string(), "13"});
    EXPECT_EQ(r.code, cli::WriteError);
    EXPECT_NE(r.err.find("存在しません"), std::string::npos) << r.err;
}

// The real program under a file-size limit: it must report the failure with
// a non-zero status rather than be killed half-way, and keep the old file.
TEST_F(ExportCommand, TheProgramSurvivesAFileSizeLimit)
{
    std::string big;
    for (int i = 0; i < 3000; ++i)
        big += tokyo;
    writeFile(list, big);
    writeFile(out, "old");
    const std::string command = "ulimit -f 64 && '" + std::string(DOZUZEZO_EXPORT_EXE) + "' -l '" +
                                list.string() + "' -o '" + out.string() + "' 13 2>'" +
                                (dir / "err.txt").string() + "'";
    const int status = std::system(("sh -c \"" + command + "\"").c_str());
    ASSERT_TRUE(WIFEXITED(status)) << "killed by a signal";
    EXPECT_EQ(WEXITSTATUS(status), cli::WriteError);
    EXPECT_NE(readFile(dir / "err.txt").find("上限"), std::string::npos);
    EXPECT_EQ(readFile(out), "old");
}

// Without -l the real program asks the settings where the list is.
TEST_F(ExportCommand, TheProgramFindsTheListTheSettingsName)
{
    writeFile(dir / "settings.ini",
              "[Config]\nFolderName=" + dir.path().string() + "\nYubin_File=KEN_ALL.CSV\n");
    const std::string command = "DOZUZEZO_SETTINGS='" + (dir / "settings.ini").string() + "' '" +
                                DOZUZEZO_EXPORT_EXE + "' -o '" + out.string() + "' 14";
    ASSERT_EQ(std::system(command.c_str()), 0);
    EXPECT_EQ(readFile(out), kanagawa);
}

} // namespace
