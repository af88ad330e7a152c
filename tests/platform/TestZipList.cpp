// The list read out of zip archives that the tests pack at run time (the
// published ken_all.zip is read whole by the export's tests).
#include "platform/ZipList.h"
#include "tests/support/TempDir.h"
#include "tests/support/ZipPacking.h"

#include <gtest/gtest.h>
#include <zip.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sys/stat.h>
#include <vector>

using platform::ZipError;
using platform::ZipListBytes;
using testsupport::TempDir;
using Packed = testsupport::PackedEntry;
using Field = testsupport::ZipField;
using testsupport::patchFirstEntry;

namespace {

using Kind = ZipError::Kind;

// A small made-up list, long enough that deflate has something to do.
std::string sampleList(int lines = 2000)
{
    std::string s;
    for (int i = 0; i < lines; ++i) {
        const std::string n = std::to_string(1000000 + i * 7);
        s += "13101,\"100  \",\"" + n + "\",\"ﾄｳｷｮｳﾄ\",\"ﾁﾖﾀﾞｸ\",\"ｲｶﾆｹｲｻｲｶﾞﾅｲﾊﾞｱｲ\",\"東京都\",\"千代田区\",\"町" +
             std::to_string(i) + "\",0,0,0,0,0,0\r\n";
    }
    return s;
}

const ZipError& errorOf(const std::variant<ZipListBytes, ZipError>& r)
{
    static const ZipError none{Kind::Damaged, {}};
    if (const auto* e = std::get_if<ZipError>(&r))
        return *e;
    ADD_FAILURE() << "read a list of " << std::get<ZipListBytes>(r).bytes.size() << " bytes";
    return none;
}

// The archive read from its file and, the same, from its bytes in memory
// (as downloaded): both must come to the same list or the same refusal.
std::variant<ZipListBytes, ZipError> readZip(const std::filesystem::path& path,
                                             std::uint64_t limit = platform::kMaxListBytes)
{
    auto fromFile = platform::readListFromZip(path, limit);
    if (std::filesystem::is_regular_file(path)) {
        const auto fromMemory =
            platform::readListFromZipBytes(testsupport::readFile(path), path.filename(), limit);
        EXPECT_EQ(fromMemory.index(), fromFile.index());
        if (const auto* bytes = std::get_if<ZipListBytes>(&fromMemory))
            EXPECT_TRUE(bytes->bytes == std::get<ZipListBytes>(fromFile).bytes &&
                        bytes->entryName == std::get<ZipListBytes>(fromFile).entryName);
        else
            EXPECT_EQ(std::get<ZipError>(fromMemory).message(), errorOf(fromFile).message());
    }
    return fromFile;
}

TEST(ZipList, FindsTheOneListAndReadsItExactly)
{
    struct Case
    {
        const char* what;
        std::vector<Packed> entries;
        const char* entry;
    };
    const std::string list = sampleList();
    const std::vector<Case> cases = {
        {"stored", {{"KEN_ALL.CSV", list, ZIP_CM_STORE}}, "KEN_ALL.CSV"},
        {"deflated", {{"KEN_ALL.CSV", list}}, "KEN_ALL.CSV"},
        {"utf list", {{"UTF_KEN_ALL.CSV", list}}, "UTF_KEN_ALL.CSV"},
        {"nested folder", {{"2026/", ""}, {"2026/04/Ken_All.Csv", list}}, "2026/04/Ken_All.Csv"},
        {"others ignored",
         {{"readme.txt", "x"}, {"KEN_ALL.CSV.bak", "y"}, {"old_ken_all.csv", "z"}, {"KEN_ALL.CSV", list}},
         "KEN_ALL.CSV"},
        {"empty list", {{"KEN_ALL.CSV", ""}}, "KEN_ALL.CSV"},
        {"one byte", {{"KEN_ALL.CSV", "1", ZIP_CM_STORE}}, "KEN_ALL.CSV"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        testsupport::packZip(dir / "ken_all.zip", c.entries);
        const auto read = readZip(dir / "ken_all.zip");
        ASSERT_TRUE(std::holds_alternative<ZipListBytes>(read)) << std::get<ZipError>(read).message();
        const ZipListBytes& got = std::get<ZipListBytes>(read);
        EXPECT_EQ(got.entryName, c.entry);
        const std::string& expected = c.entries.back().bytes;
        EXPECT_EQ(got.bytes.size(), expected.size());
        EXPECT_TRUE(got.bytes == expected);
    }
}

// Written as a stream, by libarchive here: deflated, its sizes and CRC
// after the data rather than in the local header, as unzip accepts.
TEST(ZipList, ReadsArchivesWrittenAsAStream)
{
    TempDir dir;
    const std::string list = sampleList();
    testsupport::writeFile(dir / "KEN_ALL.CSV", list);
    const std::string command = "cd '" + dir.path().string() + "' && '" DOZUZEZO_CMAKE_COMMAND
                                "' -E tar cf ken_all.zip --format=zip KEN_ALL.CSV";
    ASSERT_EQ(std::system(command.c_str()), 0);
    ASSERT_NE(testsupport::readFile(dir / "ken_all.zip")[6] & 8, 0) << "no data descriptor";
    const auto read = readZip(dir / "ken_all.zip");
    ASSERT_TRUE(std::holds_alternative<ZipListBytes>(read)) << std::get<ZipError>(read).message();
    EXPECT_TRUE(std::get<ZipListBytes>(read).bytes == list);
}

TEST(ZipList, RefusesArchivesWithoutExactlyOneList)
{
    TempDir dir;
    testsupport::packZip(dir / "none.zip", {{"readme.txt", "x"}, {"KEN_ALL/", ""}, {"KEN_ALL.TXT", "y"}});
    testsupport::packZip(dir / "two.zip", {{"KEN_ALL.CSV", sampleList(3)}, {"new/utf_ken_all.csv", sampleList(4)}});
    // An archive of no entries is only its end record; libzip writes none.
    testsupport::writeFile(dir / "empty.zip", std::string("PK\x05\x06", 4) + std::string(18, '\0'));

    EXPECT_EQ(errorOf(readZip(dir / "none.zip")).kind, Kind::NoList);
    EXPECT_EQ(errorOf(readZip(dir / "empty.zip")).kind, Kind::NoList);
    const ZipError two = errorOf(readZip(dir / "two.zip"));
    EXPECT_EQ(two.kind, Kind::TwoLists);
    EXPECT_EQ(two.message(), "zip 書庫「two.zip」に一覧が 2 つあります（「KEN_ALL.CSV」と「new/utf_ken_all.csv」）。"
                             "どちらを読むか決められません。");
}

TEST(ZipList, RefusesWhatIsNotAnArchive)
{
    TempDir dir;
    testsupport::writeFile(dir / "ken_all.zip", sampleList(2));
    testsupport::writeFile(dir / "blank.zip", "");
    testsupport::writeFile(dir / "P.zip", "P");
    std::filesystem::create_directory(dir / "folder.zip");
    ASSERT_EQ(mkfifo((dir / "pipe.zip").c_str(), 0600), 0);

    struct Case
    {
        const char* name;
        Kind kind;
        const char* message;
    };
    const Case cases[] = {
        {"ken_all.zip", Kind::NotAZip, "「ken_all.zip」は zip 書庫ではありません。"},
        {"blank.zip", Kind::NotAZip, "「blank.zip」は zip 書庫ではありません。"},
        {"P.zip", Kind::NotAZip, "「P.zip」は zip 書庫ではありません。"},
        {"missing.zip", Kind::CannotOpen, "zip 書庫「missing.zip」を開けません（ファイルが存在しません）。"},
        {"folder.zip", Kind::CannotOpen, "zip 書庫「folder.zip」を開けません（フォルダです）。"},
        {"pipe.zip", Kind::CannotOpen, "zip 書庫「pipe.zip」を開けません（通常のファイルではありません）。"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ZipError e = errorOf(readZip(dir / c.name));
        EXPECT_EQ(e.kind, c.kind);
        EXPECT_EQ(e.message(), c.message);
    }
}

TEST(ZipList, RefusesTruncatedArchivesAsDamaged)
{
    TempDir dir;
    for (zip_int32_t method : {ZIP_CM_STORE, ZIP_CM_DEFLATE}) {
        testsupport::packZip(dir / "whole.zip", {{"KEN_ALL.CSV", sampleList(), method}});
        const std::string whole = testsupport::readFile(dir / "whole.zip");
        for (std::size_t keep : {std::size_t(4), std::size_t(30), whole.size() / 2, whole.size() - 30, whole.size() - 1}) {
            SCOPED_TRACE(std::to_string(method) + " cut to " + std::to_string(keep));
            testsupport::writeFile(dir / "cut.zip", whole.substr(0, keep));
            const ZipError e = errorOf(readZip(dir / "cut.zip"));
            EXPECT_EQ(e.kind, Kind::Damaged);
            EXPECT_EQ(e.message().rfind("zip 書庫「cut.zip」", 0), 0u) << e.message();
        }
    }
}

TEST(ZipList, RefusesDataThatDoesNotMatchItsCrc)
{
    TempDir dir;
    testsupport::packZip(dir / "d.zip", {{"data/KEN_ALL.CSV", sampleList()}});
    patchFirstEntry(dir / "d.zip", Field::Crc, testsupport::firstEntryField(dir / "d.zip", Field::Crc) ^ 0x00010000u);
    const ZipError e = errorOf(readZip(dir / "d.zip"));
    EXPECT_EQ(e.kind, Kind::CrcMismatch);
    EXPECT_EQ(e.message(), "zip 書庫「d.zip」の「data/KEN_ALL.CSV」が壊れています（CRC が一致しません）。");
    // A changed byte in stored data.
    testsupport::packZip(dir / "k.zip", {{"KEN_ALL.CSV", sampleList(), ZIP_CM_STORE}});
    std::string bytes = testsupport::readFile(dir / "k.zip");
    bytes[30 + 11 + 500] ^= 1;  // local header, name, then the data
    testsupport::writeFile(dir / "k.zip", bytes);
    EXPECT_EQ(errorOf(readZip(dir / "k.zip")).kind, Kind::CrcMismatch);
}

// Changed while read (here as room is made for the list): never half of
// one archive and half of another. An archive read whole first gives the
// list as it was; one read as the list is inflated is refused.
TEST(ZipList, RefusesAnArchiveChangedWhileRead)
{
    struct Touching : platform::BlockReceiver
    {
        std::filesystem::path archive;
        std::string bytes;
        void expectSize(std::uint64_t) override {}
        std::span<char> room(std::size_t size) override
        {
            std::ofstream(archive, std::ios::app) << "PK";
            return bytes.resize(size), std::span<char>(bytes);
        }
        bool received(std::size_t) override { return true; }
    };
    for (zip_int32_t method : {ZIP_CM_STORE, ZIP_CM_DEFLATE}) {
        TempDir dir;
        testsupport::packZip(dir / "k.zip", {{"KEN_ALL.CSV", sampleList(), method}});
        Touching receiver;
        receiver.archive = dir / "k.zip";
        std::string entry;
        const auto e = platform::readListFromZip(dir / "k.zip", receiver, entry);
        if (e)
            EXPECT_EQ(e->message(), "zip 書庫「k.zip」が読み込み中に変更されました。もう一度お試し下さい。");
        else
            EXPECT_TRUE(receiver.bytes == sampleList()) << method;
    }
}

TEST(ZipList, StopsAnEntryThatInflatesPastItsDeclaredSize)
{
    // A bomb in miniature: 3 MB of one repeated line, declared as 1000 bytes.
    const std::string list = sampleList(1);
    std::string big;
    while (big.size() < 3'000'000)
        big += list;
    for (zip_int32_t method : {ZIP_CM_DEFLATE, ZIP_CM_STORE}) {
        SCOPED_TRACE(method);
        TempDir dir;
        testsupport::packZip(dir / "bomb.zip", {{"KEN_ALL.CSV", big, method}});
        patchFirstEntry(dir / "bomb.zip", Field::Size, 1000);
        const ZipError e = errorOf(readZip(dir / "bomb.zip"));
        EXPECT_EQ(e.kind, Kind::LargerThanDeclared);
        EXPECT_EQ(e.message(), "zip 書庫「bomb.zip」の「KEN_ALL.CSV」は書庫に記録された大きさ（1000 バイト）"
                                   "を超えて展開されます。書庫が壊れています。");
    }
}

TEST(ZipList, RefusesAListOverTheLimitBeforeInflating)
{
    TempDir dir;
    const std::string list = sampleList(50);
    testsupport::packZip(dir / "k.zip", {{"KEN_ALL.CSV", list}});
    // The limit itself is still a list; one byte more is not.
    EXPECT_TRUE(std::holds_alternative<ZipListBytes>(readZip(dir / "k.zip", list.size())));
    EXPECT_EQ(errorOf(readZip(dir / "k.zip", list.size() - 1)).kind, Kind::TooLarge);

    // Declared one byte over 1 GiB: refused on the declaration alone.
    patchFirstEntry(dir / "k.zip", Field::Size, (1u << 30) + 1);
    const ZipError e = errorOf(readZip(dir / "k.zip"));
    EXPECT_EQ(e.kind, Kind::TooLarge);
    EXPECT_EQ(e.message(), "zip 書庫「k.zip」の「KEN_ALL.CSV」は 1073741825 バイトあり、一覧の上限（1 GiB）を超えています。");
}

TEST(ZipList, RefusesAnEncryptedList)
{
    TempDir dir;
    testsupport::packZip(dir / "k.zip", {{"KEN_ALL.CSV", sampleList(), ZIP_CM_DEFLATE, true}});
    const ZipError e = errorOf(readZip(dir / "k.zip"));
    EXPECT_EQ(e.kind, Kind::Encrypted);
    EXPECT_EQ(e.message(), "zip 書庫「k.zip」の「KEN_ALL.CSV」は暗号化されているため読めません。");
}

TEST(ZipList, TellsListNamesAndArchivesApart)
{
    struct NameCase
    {
        const char* name;
        bool list;
    };
    const NameCase names[] = {
        {"KEN_ALL.CSV", true},      {"ken_all.csv", true},     {"a/b/Ken_All.csv", true},
        {"x\\utf_ken_all.CSV", true}, {"KEN_ALL.CSV/", false},   {"KEN_ALL.CSV.bak", false},
        {"myken_all.csv", false},   {"utf_ken_all.txt", false}, {"", false},
    };
    for (const NameCase& c : names)
        EXPECT_EQ(platform::isListEntryName(c.name), c.list) << c.name;

    TempDir dir;
    testsupport::writeFile(dir / "list.csv", sampleList(1));
    testsupport::writeFile(dir / "packed.csv", "PK\x03\x04rest");
    testsupport::writeFile(dir / "text.ZIP", sampleList(1));
    EXPECT_FALSE(platform::looksLikeZip(dir / "list.csv"));
    EXPECT_TRUE(platform::looksLikeZip(dir / "packed.csv"));
    EXPECT_TRUE(platform::looksLikeZip(dir / "text.ZIP"));
    EXPECT_TRUE(platform::looksLikeZip(dir / "absent.zip"));
    EXPECT_FALSE(platform::looksLikeZip(dir / "absent.csv"));
    // A pipe is never read from here: what it gives belongs to the list reader.
    ASSERT_EQ(mkfifo((dir / "pipe.csv").c_str(), 0600), 0);
    EXPECT_FALSE(platform::looksLikeZip(dir / "pipe.csv"));
}

} // namespace
