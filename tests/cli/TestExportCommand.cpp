#include "tests/cli/ExportTesting.h"

using testsupport::readFile;
using testsupport::writeFile;

namespace {

TEST_F(ExportCommand, ChoosesByNameShortNameOrCode)
{
    Outcome r = run({"-l", list.string(), "-o", out.string(), "神奈川県", "13"});
    ASSERT_EQ(r.code, cli::Ok) << r.err;
    EXPECT_EQ(readFile(out), tokyo + kanagawa);

    r = run({"--output", out.string(), "東京"});  // the list the settings name
    ASSERT_EQ(r.code, cli::Ok) << r.err;
    EXPECT_EQ(readFile(out), tokyo);

    r = run({"-o", "-", "-a"});
    ASSERT_EQ(r.code, cli::Ok) << r.err;
    EXPECT_EQ(r.out, readFile(list));
    EXPECT_EQ(r.err, "");
}

// Either list, its first line telling which; -j the business list beside
// the settings' list. Each refusal names the file, line and field, and
// writes nothing.
TEST_F(ExportCommand, EitherListByItsFirstLine)
{
    const std::string o13 = testlines::office("13101", "東京都"), o14 = testlines::office("14101", "神奈川県");
    const std::filesystem::path offices = dir / "JIGYOSYO.CSV";
    Outcome r = run({"-j", "-o", out.string(), "13"});
    EXPECT_EQ(r.code, cli::ListError);
    EXPECT_NE(r.err.find("一覧「" + offices.string() + "」を読み込めません: ファイルを開けません"), std::string::npos)
        << r.err;
    writeFile(offices, o13 + o14);
    r = run({"--jigyosyo", "-o", out.string(), "14", "13"});
    ASSERT_EQ(r.code, cli::Ok) << r.err;
    EXPECT_EQ(readFile(out), o13 + o14);
    r = run({"-l", offices.string(), "-o", "-", "14"});
    EXPECT_EQ(r.code, cli::Ok) << r.err;
    EXPECT_EQ(r.out, o14);
    EXPECT_EQ(run({"-j", "-o", (dir / "none" / "out.csv").string(), "13"}).code, cli::WriteError);

    writeFile(out, "keep");
    const std::pair<std::string, std::string> refused[] = {
        {o13 + testlines::with(o14, "1000001", "100001"), "2 行目の 8 番目の項目が 7 桁の数字ではありません。"},
        {testlines::with(o13, ",0\r", ",0,0\r"),
         "1 行目の項目が 14 個です（全国版の一覧なら 15 個、事業所の一覧なら 13 個のはずです）。"}};
    for (const auto& [bytes, message] : refused) {
        writeFile(offices, bytes);
        for (const auto& args : {std::vector<std::string>{"-j", "-o", out.string(), "13"},
                                 std::vector<std::string>{"-l", offices.string(), "-o", "-", "13"}}) {
            r = run(args);
            EXPECT_EQ(r.code, cli::ListError);
            EXPECT_EQ(r.err, "dozuzezo-export: 一覧「" + offices.string() + "」を読み込めません: " + message + "\n");
            EXPECT_EQ(r.out, "");
        }
    }
    EXPECT_EQ(readFile(out), "keep");
}

// Each says what is wrong, and how to see the usage.
TEST_F(ExportCommand, UsageErrorsWriteNothing)
{
    for (const auto& args :
         std::vector<std::vector<std::string>>{{"-o", out.string()},           // nothing chosen
                                               {"13"},                         // no output
                                               {"-o", out.string(), "東京府"}, // no such prefecture
                                               {"-o", out.string(), "48"},
                                               {"-o", out.string(), "--bogus", "13"},
                                               {"-l", "", "-o", out.string(), "13"},
                                               {"-o", "", "13"},
                                               {"13", "-o"}}) {
        Outcome r = run(args);
        EXPECT_EQ(r.code, cli::UsageError) << args.back();
        EXPECT_TRUE(r.err.starts_with("dozuzezo-export: ") &&
                    r.err.ends_with("--help で使い方を表示します。\n"))
            << r.err;
        EXPECT_FALSE(std::filesystem::exists(out));
    }
}

// The message names the file actually read (KEN_ALL.CSV for ken_all.csv)
// and its line; of several case variants, which one was read is said.
// Where the settings cannot be read, the export says why.
TEST_F(ExportCommand, WhatCannotBeReadIsNamed)
{
    writeFile(out, "keep");
    writeFile(dir / "Ken_All.csv", tokyo + "13101,\"x\"\r\n");
    const bool variants = entries().size() == 3;
    if (variants) {
        const Outcome r = run({"-l", (dir / "ken_all.csv").string(), "-o", "-", "13"});
        EXPECT_EQ(r.code, cli::Ok);
        EXPECT_EQ(r.err, "dozuzezo-export: "
                         "大文字と小文字だけが違う一覧が複数あるため、「KEN_ALL.CSV」を読み込みます"
                         "（ほかに 「Ken_All.csv」）。\n");
    }
    writeFile(list, tokyo + "13101,\"x\"\r\n");
    Outcome r = run({"-l", (dir / "ken_all.csv").string(), "-o", out.string(), "13"});
    EXPECT_EQ(r.code, cli::ListError);
    EXPECT_NE(r.err.find("一覧「" + list.string() + "」を読み込めません: 2 行目"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(run({"-l", (dir / "missing.csv").string(), "-o", out.string(), "13"}).code,
              cli::ListError);
    settingsUnread = "設定を読めません。";
    r = run({"-o", out.string(), "13"});
    EXPECT_EQ(r.code, cli::ListError);
    EXPECT_EQ(r.err, "dozuzezo-export: 設定を読めません。\n");
    EXPECT_EQ(readFile(out), "keep");
    if (!variants)
        GTEST_SKIP() << "names that differ only in case are one file here";
}

// The real program as users meet it on every system: each exit status, the
// list's own CR LF on standard output, a read-only target kept, links
// followed, and names in Japanese, with spaces, 250 characters long.
TEST_F(ExportCommand, TheProgramAsUsersRunIt)
{
    writeFile(out, "keep");
    testsupport::makeReadOnly(out);
    Outcome r = program({"-l", "KEN_ALL.CSV", "-o", "out.csv", "13"});
    EXPECT_EQ(r.code, cli::WriteError);
    EXPECT_NE(r.err.find("読み取り専用"), std::string::npos) << r.err;
    EXPECT_EQ(readFile(out), "keep");
    r = program({"-l", "KEN_ALL.CSV", "-o", "out.csv/x.csv", "13"});
    EXPECT_EQ(r.code, cli::WriteError);
    EXPECT_NE(r.err.find("保存先のフォルダ「out.csv」はフォルダではなくファイルです。"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(program({"-l", "missing.csv", "-o", "new.csv", "13"}).code, cli::ListError);
    EXPECT_EQ(program({"-l", "KEN_ALL.CSV", "-o", "new.csv", "48"}).code, cli::UsageError);
    r = program({"-l", "KEN_ALL.CSV", "-o", "-", "--all"});
    EXPECT_EQ(r.code, cli::Ok) << r.err;
    EXPECT_TRUE(r.out == readFile(list)) << "the list's bytes, line ends untranslated";

    const std::string longName = "東京 " + std::string(243, 'x') + ".csv";
    writeFile(dir.path() / u8"一覧 ファイル.csv", readFile(list));
    for (const std::string& name : {std::string("東京 神奈川.csv"), longName}) {
        r = program({"-l", "一覧 ファイル.csv", "-o", name, "東京都", "神奈川"});
        ASSERT_EQ(r.code, cli::Ok) << r.err;
        EXPECT_EQ(readFile(dir.path() / std::u8string(name.begin(), name.end())), tokyo + kanagawa);
    }

    std::filesystem::create_directory(dir / "sub");
    if (testsupport::makeSymlink("sub/new.csv", dir / "dangling.csv")) {
        ASSERT_EQ(program({"-l", "KEN_ALL.CSV", "-o", "dangling.csv", "14"}).code, cli::Ok);
        EXPECT_TRUE(std::filesystem::is_symlink(dir / "dangling.csv"));
        EXPECT_EQ(readFile(dir / "sub" / "new.csv"), kanagawa);
    }
}

// A list or target that another program holds open without sharing (a
// spreadsheet showing it): refused, saying so, and nothing changed.
TEST_F(ExportCommand, AFileHeldOpenByAnotherProgram)
{
    writeFile(out, "keep");
    for (const auto& [held, code] : {std::pair{out, cli::WriteError}, std::pair{list, cli::ListError}}) {
        testsupport::HeldOpen holding(held);
        if (!holding.held())
            GTEST_SKIP() << testsupport::kNoHolding;
        const Outcome r = program({"-l", "KEN_ALL.CSV", "-o", "out.csv", "13"});
        EXPECT_EQ(r.code, code) << r.err;
        EXPECT_NE(r.err.find("他のプログラムが使用中です"), std::string::npos) << r.err;
    }
    EXPECT_EQ(readFile(out), "keep");
    EXPECT_EQ(entries(), (std::vector<std::string>{"KEN_ALL.CSV", "out.csv"}));
}

// A build without Qt has no settings bridge, and one without libzip no zip
// reader: the export says what it cannot do and what to do instead.
TEST_F(ExportCommand, WhatThisBuildLeftOut)
{
    if (DOZUZEZO_HAS_SETTINGS_BRIDGE && DOZUZEZO_HAS_ZIP_READER)
        GTEST_SKIP() << "this build has the settings bridge and the zip reader";
    if (!DOZUZEZO_HAS_SETTINGS_BRIDGE) {
        const Outcome r = program({"-o", "out.csv", "13"});
        EXPECT_EQ(r.code, cli::ListError);
        EXPECT_NE(r.err.find("設定を読めないため一覧の場所が分かりません"), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("-l で一覧ファイルを指定して下さい。"), std::string::npos) << r.err;
    }
    if (!DOZUZEZO_HAS_ZIP_READER) {
        writeFile(dir / "ken_all.zip", std::string("PK\x03\x04", 4) + std::string(100, '\0'));
        const Outcome r = program({"-l", "ken_all.zip", "-o", "out.csv", "13"});
        EXPECT_EQ(r.code, cli::ListError);
        EXPECT_NE(r.err.find("を読む部品を読み込めません"), std::string::npos) << r.err;
    }
    EXPECT_FALSE(std::filesystem::exists(out));
}

} // namespace
