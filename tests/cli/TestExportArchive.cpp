// ken_all.zip read by the export on every system: in this process, and by
// the program as users run it, which reads a plain archive itself and loads
// the zip reader module for any other.
#include "tests/cli/ExportTesting.h"
#include "tests/support/RealList.h"
#include "tests/support/ZipPacking.h"

using testsupport::packZip;
using testsupport::readFile;
using testsupport::TempDir;
using testsupport::writeFile;

namespace {

// ken_all.zip as downloaded, under any name that begins like a zip, its
// list in a folder of its own.
TEST_F(ExportCommand, ReadsTheListOutOfAnArchive)
{
    packZip(dir / "download.bin",
            {{"2026/", ""}, {"readme.txt", "r"}, {"2026/05/ken_all.csv", readFile(list)}});
    const Outcome r = run({"-l", (dir / "download.bin").string(), "-o", "-", "14", "13"});
    ASSERT_EQ(r.code, cli::Ok) << r.err;
    EXPECT_EQ(r.out, tokyo + kanagawa);
    EXPECT_EQ(r.err, "");

    // jigyosyo.zip where the folder holds no JIGYOSYO.CSV, read by -j.
    const std::string offices = testlines::office("13101", "東京都") + testlines::office("14101", "神奈川県");
    packZip(dir / "Jigyosyo.zip", {{"readme.txt", "r"}});
    Outcome j = run({"-j", "-o", "-", "13"});
    EXPECT_EQ(j.code, cli::ListError);
    EXPECT_NE(j.err.find("zip 書庫「Jigyosyo.zip」に一覧 JIGYOSYO.CSV がありません。"), std::string::npos) << j.err;
    packZip(dir / "Jigyosyo.zip", {{"readme.txt", "r"}, {"JIGYOSYO.CSV", offices}});
    j = run({"-j", "-o", "-", "13", "14"});
    ASSERT_EQ(j.code, cli::Ok) << j.err;
    EXPECT_EQ(j.out, offices);
}

// The program, and a copy of it alone in a folder of its own: a plain
// archive is read without the zip reader module; any other through the
// module, which says what is wrong with it, or, where it is missing, that
// it cannot be loaded. A refused archive writes nothing.
TEST_F(ExportCommand, TheProgramReadsArchivesItselfOrThroughTheModule)
{
    const std::string listBytes = readFile(list);
    packZip(dir / "plain.zip", {{"KEN_ALL.CSV", listBytes}});
    packZip(dir / "stored.zip", {{"data/", ""}, {"data/utf_ken_all.csv", listBytes, ZIP_CM_STORE}});
    // Bytes after the end record, as a download padded by its server:
    // no plain archive, but unzip and libzip read it.
    writeFile(dir / "padded.zip", readFile(dir / "plain.zip") + std::string(100, '\0'));
    packZip(dir / "crc.zip", {{"data/KEN_ALL.CSV", listBytes}});
    testsupport::patchFirstEntry(dir / "crc.zip", testsupport::ZipField::Crc, 7);
    packZip(dir / "secret.zip", {{"KEN_ALL.CSV", listBytes, ZIP_CM_DEFLATE, true}});
    writeFile(dir / "notzip.zip", listBytes);

    const std::filesystem::path exe(DOZUZEZO_EXPORT_EXE);
    TempDir alone;
    const std::filesystem::path copy = alone.path() / exe.filename();
    std::filesystem::copy_file(exe, copy);
    const std::string missing = "を読む部品を読み込めません（";
    struct Case
    {
        const char* archive;
        int code;
        std::string err;         // the whole message
        std::string errAlone;    // where the module is missing: a part of it
    };
    // clang-format off
    const Case cases[] = {
        {"plain.zip", cli::Ok, "", ""},
        {"stored.zip", cli::Ok, "", ""},
        {"padded.zip", cli::Ok, "", missing},
        {"crc.zip", cli::ListError,
         "dozuzezo-export: 一覧「crc.zip」の「data/KEN_ALL.CSV」を読み込めません: zip 書庫「crc.zip」の"
         "「data/KEN_ALL.CSV」が壊れています（CRC が一致しません）。\n", missing},
        {"secret.zip", cli::ListError,
         "dozuzezo-export: 一覧「secret.zip」の「KEN_ALL.CSV」を読み込めません: zip 書庫「secret.zip」の"
         "「KEN_ALL.CSV」は暗号化されているため読めません。\n", missing},
        {"notzip.zip", cli::ListError,
         "dozuzezo-export: 一覧「notzip.zip」を読み込めません: 「notzip.zip」は zip 書庫ではありません。\n", missing},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.archive);
        Outcome r = program({"-l", c.archive, "-o", "out.csv", "14", "13"});
        EXPECT_EQ(r.code, c.code) << r.err;
        std::erase(r.err, '\r');  // Windows' text mode ends its lines CR LF
        EXPECT_EQ(r.err, c.err);
        EXPECT_EQ(c.code == cli::Ok ? readFile(out) : "", c.code == cli::Ok ? tokyo + kanagawa : "");
        EXPECT_EQ(std::filesystem::exists(out), c.code == cli::Ok);
        std::filesystem::remove(out);

        const testsupport::ProgramRun a = testsupport::runProgram(
            copy, {"-l", (dir / c.archive).string(), "-o", "-", "13"}, alone.path());
        const bool read = c.errAlone.empty();
        EXPECT_EQ(a.status, read ? cli::Ok : cli::ListError) << a.err;
        EXPECT_EQ(a.out, read ? tokyo : "");
        EXPECT_NE(a.err.find(c.errAlone), std::string::npos) << a.err;
    }
}

// The published archive read directly: all 47 give back its list byte for
// byte, and Tokyo with Kanagawa its lines that begin 13 or 14.
// The business-office list the same way, as archive and as CSV file, and
// Hokkaido with Okinawa, the first and last prefectures.
TEST_F(ExportCommand, ThePublishedArchiveAsDownloaded)
{
    std::string why;
    const auto zip = testsupport::realListZip(&why);
    const auto csv = testsupport::realList(&why);
    const auto officesZip = testsupport::realBusinessZip(&why);
    const auto officesCsv = testsupport::realBusinessList(&why);
    if (!zip || !csv || !officesZip || !officesCsv)
        GTEST_SKIP() << why;
    // Named in full: the test runs elsewhere (on another drive, on Windows).
    const std::pair<std::filesystem::path, std::filesystem::path> lists[] = {
        {*zip, *csv}, {*officesZip, *officesCsv}, {*officesCsv, *officesCsv}};
    for (const auto& [named, unzipped] : lists) {
        const std::string archive = std::filesystem::absolute(named).string();
        Outcome r = program({"-l", archive, "-o", "all.csv", "--all"});
        ASSERT_EQ(r.code, cli::Ok) << r.err;
        const std::string published = readFile(unzipped);
        EXPECT_TRUE(readFile(dir / "all.csv") == published) << "--all differs from the unzipped list";
        // What grep -E '^(13|14)' and '^(01|47)' find.
        for (const auto& [first, second] : {std::pair{"13", "14"}, std::pair{"01", "47"}}) {
            r = program({"-l", archive, "-o", "two.csv", first, second});
            ASSERT_EQ(r.code, cli::Ok) << r.err;
            std::string grepped;
            for (std::size_t at = 0, next; at < published.size(); at = next) {
                next = std::min(published.find('\n', at), published.size() - 1) + 1;
                if (published.compare(at, 2, first) == 0 || published.compare(at, 2, second) == 0)
                    grepped.append(published, at, next - at);
            }
            EXPECT_GT(grepped.size(), 100'000u);
            EXPECT_TRUE(readFile(dir / "two.csv") == grepped)
                << first << " " << second << " differs from the lines that begin so in " << archive;
        }
    }
}

} // namespace
