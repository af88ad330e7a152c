#include "state/Startup.h"
#include "tests/postal/ListLines.h"
#include "tests/support/MemorySettingsStore.h"
#include "tests/support/System.h"
#include "tests/support/TempDir.h"
#include "tests/support/ZipPacking.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

using testsupport::MemorySettingsStore;
using testsupport::TempDir;
using testsupport::writeFile;
using Access = MemorySettingsStore::Access;
using Events = std::vector<std::string>;
using settings::Setting;

namespace {

std::string tickKey(int i)
{
    return "Ken_OnOff(" + std::to_string(i) + ")";
}

std::string row(const char* code)
{
    return testlines::line(code);
}

// Records what start-up shows, in order.
class RecordingUi : public state::StartupUi
{
public:
    void showSplash() override { events.push_back("splash"); }
    void closeSplash() override { events.push_back("close"); }
    void warn(const std::string& text, const std::string& title) override
    {
        events.push_back("warn " + title);
        warnings.push_back(text);
    }
    Events events;
    std::vector<std::string> warnings;
};

// 1920 x 1080 pixels at 15 twips each.
constexpr state::ScreenTwips kScreen{28800, 16200};
const std::string kCentredLeft = "8400";
const std::string kCentredTop = "3600";

class Startup : public testing::Test
{
protected:
    state::StartupResult run(std::optional<std::filesystem::path> listOverride = {})
    {
        ui = {};
        return state::runStartup(store, {dir.path(), kScreen, std::move(listOverride), {}}, ui);
    }

    TempDir dir;
    MemorySettingsStore store;
    RecordingUi ui;
};

TEST_F(Startup, FirstRunWritesEveryDefaultInOrderButNoPosition)
{
    writeFile(dir / "ken_all.csv", row("01101") + row("13101"));
    const auto result = run();

    std::vector<Access> expected = {{"Config", "OptLogo", "1"},
                                    {"Config", "FolderName", dir.path().string()},
                                    {"Config", "Yubin_File", "ken_all.csv"},
                                    {"Config", "OptDbl", "0"},
                                    {"Position", "OptCent", "0"},
                                    {"Config", "OptLAct", "1"},
                                    {"Config", "OptLATab", "0"}};
    for (int i = 0; i < 47; ++i)
        expected.push_back({"Ken_on_off", tickKey(i), "1"});
    EXPECT_EQ(store.writes(), expected);

    EXPECT_EQ(ui.events, (Events{"splash", "close"}));
    EXPECT_EQ(result.table->rowCount(), 2u);
    EXPECT_EQ(result.listPath, dir / "ken_all.csv");
    const auto& c = result.copies;
    std::string copies;
    for (Setting s :
         {Setting::OptLogo, Setting::OptDbl, Setting::OptCent, Setting::OptLAct, Setting::OptLATab,
          Setting::YubinFile, Setting::KLeft, Setting::KTop, Setting::ListUrl, Setting::JigyosyoUrl})
        copies += c.text(s) + " ";
    EXPECT_EQ(copies, "1 0 0 1 0 ken_all.csv " + kCentredLeft + " " + kCentredTop +
                          " https://www.post.japanpost.jp/zipcode/dl/kogaki/zip/ken_all.zip"
                          " https://www.post.japanpost.jp/zipcode/dl/jigyosyo/zip/jigyosyo.zip ");
    EXPECT_EQ(c.text(Setting::FolderName), dir.path().string());
    for (int i = 0; i < 47; ++i)
        EXPECT_EQ(c.tickText(i), "1");
}

// An installed program's folder is no place for the list: start-up is told
// the user's own instead, and uses it where nothing is stored.
TEST_F(Startup, DefaultFolderIsTheOneStartUpIsGiven)
{
    TempDir users;
    const auto result = state::runStartup(store, {dir.path(), kScreen, {}, users.path()}, ui);
    EXPECT_EQ(store.read("Config", "FolderName"), users.path().string());
    EXPECT_EQ(result.listPath, users / "ken_all.csv");
}

TEST_F(Startup, StoredValuesStayAndNothingIsWritten)
{
    writeFile(dir / "ken_all.csv", row("01101"));
    for (const auto& [section, key] : {std::pair{"Config", "OptDbl"},
                                       {"Position", "OptCent"},
                                       {"Config", "OptLAct"},
                                       {"Config", "OptLATab"}})
        store.preset(section, key, "0");
    store.preset("config", "optlogo", "2"); // not "1": no splash
    store.preset("Config", "FolderName", dir.path().string());
    store.preset("Config", "Yubin_File", "ken_all.csv");
    for (int i = 0; i < 47; ++i)
        store.preset("Ken_on_off", tickKey(i), i == 46 ? "1" : "0");
    store.preset("Config", "ListUrl", "http://mirror.example/ken_all.zip");
    store.preset("Config", "ListETag", "\"v1\"");
    const auto result = run();

    EXPECT_TRUE(store.writes().empty());
    EXPECT_EQ(ui.events, Events{"close"});
    const auto& c = result.copies;
    EXPECT_EQ(c.text(Setting::OptLogo) + c.text(Setting::OptDbl) + c.text(Setting::OptCent) +
                  c.text(Setting::OptLAct) + c.text(Setting::OptLATab) + c.tickText(0) +
                  c.tickText(46),
              "2000001");
    EXPECT_EQ(c.text(Setting::ListUrl) + " " + c.text(Setting::ListETag),
              "http://mirror.example/ken_all.zip \"v1\"");
    EXPECT_EQ(result.table->rowCount(), 1u);
    // Where no second thread can be started, the list is read all the same.
    if (testsupport::refuseThreads(true)) {
        const auto alone = run();
        testsupport::refuseThreads(false);
        ASSERT_TRUE(alone.table);
        EXPECT_EQ(alone.table->rowCount(), 1u);
    }
}

TEST_F(Startup, StoredPositionStaysUnlessEmptyOrBelowZero)
{
    const std::pair<const char*, std::string> cases[] = {{"0", "0"},
                                                         {"1500.5", "1500.5"},
                                                         {"abc", "abc"},
                                                         {"-15", kCentredLeft},
                                                         {" -0.5", kCentredLeft},
                                                         {"", kCentredLeft}};
    for (const auto& [stored, left] : cases) {
        MemorySettingsStore fresh;
        fresh.preset("Position", "K_Left", stored);
        fresh.preset("Position", "K_Top", stored);
        const auto result = state::runStartup(fresh, {dir.path(), kScreen, {}, {}}, ui);
        EXPECT_EQ(result.copies.text(Setting::KLeft), left) << stored;
        EXPECT_EQ(result.copies.text(Setting::KTop), left == kCentredLeft ? kCentredTop : left)
            << stored;
        for (const Access& write : fresh.writes())
            EXPECT_TRUE(write.key != "K_Left" && write.key != "K_Top") << "for " << stored;
    }
}

// No list: one warning, and no table, so that the export cannot write an
// empty one.
TEST_F(Startup, MissingListWarnsOnceAndLeavesTheTableEmpty)
{
    TempDir elsewhere;
    std::filesystem::create_directory(elsewhere / "ken_all.csv"); // a folder is no list
    store.preset("Config", "OptLogo", "0");
    for (const auto& folder : {dir.path(), elsewhere.path()}) {
        store.preset("Config", "FolderName", folder.string());
        const auto result = run();
        EXPECT_EQ(ui.events, (Events{"warn フォルダ確認", "close"}));
        EXPECT_EQ(ui.warnings, Events{state::missingListText()});
        EXPECT_TRUE(result.listMissing && !result.loadError && !result.table) << folder;
    }
}

// A list named for this run is that file or none (never ken_all.zip beside
// it), and a refusal names it with what is wrong, never pointing to the
// settings' folder. Nothing is opened that would wait for a writer or read
// on and on.
TEST_F(Startup, ANamedListIsNamedWithWhatIsWrong)
{
    store.preset("Config", "OptLogo", "0");
    store.preset("Config", "FolderName", dir.path().string());
    testsupport::packZip(dir / "ken_all.zip", {{"KEN_ALL.CSV", row("13101")}});
    std::filesystem::create_directory(dir / "folder.csv");
    writeFile(dir / "bad.csv", row("01101") + "01102,\"cut");
    const bool fifo = testsupport::makeFifo(dir / "pipe.csv");
    const std::pair<std::filesystem::path, std::string> cases[] = {
        {dir / "ken_all.csv", "ファイルが存在しません。"},
        {dir / "none" / "a.csv", "ファイルが存在しません。"},
        {dir / "folder.csv", "ファイルではなくフォルダです。"},
        {dir / "bad.csv", "2 行目（最後の行）が途中で切れています。"},
        {"/dev/zero", "ファイルではなく装置です。"},
        {dir / "pipe.csv", "ファイルではなくパイプです。"},
    };
    testsupport::endIfHung(10);
    for (const auto& [file, problem] : cases) {
        if ((file == "/dev/zero" && !std::filesystem::exists(file)) ||
            (file.filename() == "pipe.csv" && !fifo))
            continue;
        const auto result = run(file);
        EXPECT_FALSE(result.table) << file;
        EXPECT_EQ(ui.events, (Events{"warn ファイル確認", "close"}));
        EXPECT_EQ(ui.warnings, Events{"全国版の郵便番号一覧 「" + file.string() +
                                      "」 を読み込めませんでした。　\n\n" + problem +
                                      "\n\n一覧は読み込まれていません。  "});
    }
    testsupport::endIfHung(0);
    // Dropped on a window that holds a list, which stays.
    state::ListLoad changed;
    changed.listPath = dir / "k.csv";
    changed.named = true;
    changed.loadError = postal::LoadError{postal::LoadError::Kind::Changed};
    EXPECT_EQ(state::listWarning(changed, true)->text,
              "全国版の郵便番号一覧 「" + changed.listPath.string() + "」 を読み込めませんでした。　\n\n"
              "読み込み中に一覧が変更されました。もう一度お試し下さい。\n\nこれまでの一覧をそのまま使います。  ");
}

// Which list is read: Yubin_File's in FolderName, found without regard to
// case (the published list is KEN_ALL.CSV, the default name ken_all.csv),
// else ken_all.zip there, an unzipped list preferred; or the one named for
// this run, an archive too, which the settings never learn of. Each step
// adds to the folder what the one before left.
TEST_F(Startup, ReadsTheListTheSettingsOrTheRunName)
{
    store.preset("Config", "OptLogo", "0");
    store.preset("Config", "FolderName", dir.path().string());
    TempDir sample;
    const struct
    {
        const char* what;
        std::function<void()> add;
        std::string yubin;
        std::filesystem::path named; // for this run; empty: none
        std::filesystem::path read;
        std::string entry;
        std::size_t rows;
        int lastCode;
    } steps[] = {
        // clang-format off
        {"archive alone",
         [&] { testsupport::packZip(dir / "ken_all.zip", {{"readme.txt", "x"}, {"KEN_ALL.CSV", row("01101") + row("13101") + row("47201")}}); },
         "ken_all.csv", {}, dir / "ken_all.zip", "KEN_ALL.CSV", 3, 47},
        {"as published, preferred to the archive", [&] { writeFile(dir / "KEN_ALL.CSV", row("01101") + row("01102")); },
         "ken_all.csv", {}, dir / "KEN_ALL.CSV", "", 2, 1},
        {"Yubin_File's", [&] { writeFile(dir / "tokyo.csv", row("13101") + row("13102") + row("13103")); },
         "tokyo.csv", {}, dir / "tokyo.csv", "", 3, 13},
        {"named, an archive",
         [&] { testsupport::packZip(sample / "Kanto.ZIP", {{"2026/", ""}, {"2026/ken_all.csv", row("13101") + row("14101"), ZIP_CM_STORE}}); },
         "tokyo.csv", sample / "Kanto.ZIP", sample / "Kanto.ZIP", "2026/ken_all.csv", 2, 14},
        // clang-format on
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.what);
        step.add();
        store.preset("Config", "Yubin_File", step.yubin);
        const auto result = run(step.named.empty() ? std::nullopt : std::optional(step.named));
        ASSERT_TRUE(result.table);
        EXPECT_EQ(result.table->rowCount(), step.rows);
        EXPECT_EQ(result.listPath, step.read);
        EXPECT_EQ(result.listEntry, step.entry);
        EXPECT_EQ(result.copies.text(Setting::YubinFile), step.yubin);
        EXPECT_EQ(result.table->jisCode(step.rows - 1), step.lastCode);
        EXPECT_TRUE(ui.warnings.empty());
    }
}

// A refused list is named as the file read, and the list inside an archive
// where one was found, with the line and the problem; an archive refused as
// such is never called a damaged list.
TEST_F(Startup, ARefusedListIsNamedWithItsProblem)
{
    store.preset("Config", "OptLogo", "0");
    store.preset("Config", "FolderName", dir.path().string());
    const std::filesystem::path zip = dir / "ken_all.zip", csv = dir / "KEN_ALL.CSV";
    std::string short14 = row("01102");
    short14.erase(short14.rfind(",0"), 2);
    struct Case
    {
        const char* what;
        std::function<void()> make;
        std::filesystem::path file;
        std::string named; // after the file's name
        std::string problem;
        bool listProblem;
    };
    const std::vector<Case> cases = {
        {"not a zip", [&] { writeFile(zip, row("01101")); }, zip, " を",
         "「ken_all.zip」は zip 書庫ではありません。", false},
        {"damaged list in an archive",
         [&] {
             testsupport::packZip(zip, {{"KEN_ALL.CSV", row("01101") + short14}});
         },
         zip, " の 「KEN_ALL.CSV」 を", "2 行目の項目が 14 個です（15 個のはずです）。", true},
        {"damaged list", [&] { writeFile(csv, row("01101") + short14 + row("01103")); }, csv, " を",
         "2 行目の項目が 14 個です（15 個のはずです）。", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.make();
        const auto result = run();
        EXPECT_FALSE(result.table || result.listMissing);
        EXPECT_EQ(result.loadError.has_value(), c.listProblem);
        EXPECT_EQ(result.zipError.has_value(), !c.listProblem);
        EXPECT_EQ(ui.events, (Events{"warn ファイル確認", "close"}));
        ASSERT_EQ(ui.warnings.size(), 1u);
        const std::string& text = ui.warnings[0];
        EXPECT_NE(text.find("全国版の郵便番号一覧 「" + c.file.string() + "」" + c.named +
                            "読み込めませんでした。　"),
                  std::string::npos)
            << text;
        EXPECT_NE(text.find(c.problem), std::string::npos) << text;
        EXPECT_EQ(text.find("行目") != std::string::npos, c.listProblem) << text;
        EXPECT_TRUE(text.ends_with("。  ")) << text;
    }
}

} // namespace
