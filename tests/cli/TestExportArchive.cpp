// ken_all.zip read by the export, in this process.
#include "tests/cli/ExportTesting.h"
#include "tests/support/ZipPacking.h"

#include <functional>

using testsupport::packZip;
using testsupport::PackedEntry;
using testsupport::readFile;
using testsupport::TempDir;
using testsupport::writeFile;

namespace {

// ken_all.zip as downloaded, however it was packed, read with -l.
TEST_F(ExportCommand, ReadsTheListOutOfAnArchive)
{
    const std::string whole = readFile(list);
    struct Case
    {
        const char* what;
        const char* file;
        std::vector<PackedEntry> entries;
    };
    const std::vector<Case> cases = {
        {"deflated", "ken_all.zip", {{"KEN_ALL.CSV", whole}}},
        {"nested folder", "ken_all.zip", {{"2026/", ""}, {"readme.txt", "r"}, {"2026/05/ken_all.csv", whole}}},
        {"any name, begins like a zip", "download.bin", {{"KEN_ALL.CSV", whole}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir zips;
        packZip(zips / c.file, c.entries);
        Outcome r = run({"-l", (zips / c.file).string(), "-o", out.string(), "14", "13"});
        ASSERT_EQ(r.code, cli::Ok) << r.err;
        EXPECT_EQ(readFile(out), tokyo + kanagawa);
        r = run({"-l", (zips / c.file).string(), "-o", "-", "--all"});
        ASSERT_EQ(r.code, cli::Ok) << r.err;
        EXPECT_TRUE(r.out == whole);
        EXPECT_EQ(r.err, "");
    }
}

// A refused archive: exit 3 naming the archive (and its list where one was
// found) and the archive's own problem, never a damaged list; nothing written.
TEST_F(ExportCommand, ARefusedArchiveWritesNothing)
{
    const std::string whole = readFile(list);
    std::string big;
    while (big.size() < 200'000)
        big += whole;
    const std::filesystem::path zip = dir / "ken_all.zip";
    auto packed = [&](std::vector<PackedEntry> entries) { return [&, entries] { packZip(zip, entries); }; };
    struct Case
    {
        const char* what;
        std::function<void()> make;
        std::string named;  // how the message names what it read
        std::string problem;
    };
    const std::vector<Case> cases = {
        {"not a zip", [&] { writeFile(zip, whole); }, "一覧「" + zip.string() + "」を", "は zip 書庫ではありません"},
        {"cut short",
         [&] {
             packZip(zip, {{"KEN_ALL.CSV", big}});
             const std::string bytes = readFile(zip);
             writeFile(zip, bytes.substr(0, bytes.size() / 2));
         },
         "一覧「" + zip.string() + "」を", "壊れているか、途中で切れています"},
        {"crc",
         [&] {
             packZip(zip, {{"KEN_ALL.CSV", big}});
             testsupport::patchFirstEntry(zip, testsupport::ZipField::Crc, 1);
         },
         "の「KEN_ALL.CSV」を", "CRC が一致しません"},
        {"two lists", packed({{"KEN_ALL.CSV", whole}, {"utf_ken_all.csv", whole}}), "一覧「" + zip.string() + "」を",
         "一覧が 2 つあります（「KEN_ALL.CSV」と「utf_ken_all.csv」）"},
        {"encrypted", packed({{"KEN_ALL.CSV", whole, ZIP_CM_DEFLATE, true}}), "の「KEN_ALL.CSV」を",
         "暗号化されているため読めません"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.make();
        writeFile(out, "keep");
        for (const std::string& target : {out.string(), std::string("-")}) {
            Outcome r = run({"-l", zip.string(), "-o", target, "13"});
            EXPECT_EQ(r.code, cli::ListError) << r.err;
            EXPECT_EQ(r.out, "");
            EXPECT_NE(r.err.find(c.named + "読み込めません: "), std::string::npos) << r.err;
            EXPECT_NE(r.err.find(c.problem), std::string::npos) << r.err;
            EXPECT_EQ(r.err.find("行目"), std::string::npos) << r.err;
        }
        EXPECT_EQ(readFile(out), "keep");
        EXPECT_EQ(::entries(dir.path()), (std::vector<std::string>{"KEN_ALL.CSV", "ken_all.zip", "out.csv"}));
    }
    // A damaged list inside a sound archive is the list's problem, with its line.
    packZip(zip, {{"KEN_ALL.CSV", tokyo + "13101,\"x\"\r\n"}});
    Outcome r = run({"-l", zip.string(), "-o", out.string(), "13"});
    EXPECT_EQ(r.code, cli::ListError);
    EXPECT_NE(r.err.find("一覧「" + zip.string() + "」の「KEN_ALL.CSV」を読み込めません: 2 行目"), std::string::npos)
        << r.err;
    EXPECT_EQ(readFile(out), "keep");
}

} // namespace
