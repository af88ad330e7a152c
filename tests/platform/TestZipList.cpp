// The list read out of zip archives that the tests pack at run time, and out
// of the published ken_all.zip.
#include "platform/ZipList.h"
#include "tests/support/RealList.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <zip.h>

#include <cstring>
#include <sys/stat.h>
#include <vector>

using platform::ZipError;
using platform::ZipListBytes;
using testsupport::TempDir;

namespace {

using Kind = ZipError::Kind;

struct Packed
{
    std::string name;
    std::string bytes;
    zip_int32_t method = ZIP_CM_DEFLATE;
    bool encrypted = false;
};

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

void pack(const std::filesystem::path& path, const std::vector<Packed>& entries)
{
    int error = 0;
    zip_t* z = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    ASSERT_NE(z, nullptr) << "zip_open " << error;
    for (const Packed& e : entries) {
        zip_source_t* src = zip_source_buffer(z, e.bytes.data(), e.bytes.size(), 0);
        ASSERT_NE(src, nullptr);
        const zip_int64_t index = e.name.back() == '/' ? zip_dir_add(z, e.name.c_str(), ZIP_FL_ENC_UTF_8)
                                                       : zip_file_add(z, e.name.c_str(), src, ZIP_FL_ENC_UTF_8);
        ASSERT_GE(index, 0) << zip_strerror(z);
        if (e.name.back() == '/') {
            zip_source_free(src);
            continue;
        }
        ASSERT_EQ(zip_set_file_compression(z, static_cast<zip_uint64_t>(index), e.method, 0), 0);
        if (e.encrypted) {
            ASSERT_EQ(zip_file_set_encryption(z, static_cast<zip_uint64_t>(index), ZIP_EM_AES_256, "secret"), 0)
                << zip_strerror(z);
        }
    }
    ASSERT_EQ(zip_close(z), 0) << zip_strerror(z);
}

// Rewrites a 32-bit field of the first entry in both its local header and
// its central directory record, so the archive stays self-consistent.
enum class Field { Crc, Size };
void patchFirstEntry(const std::filesystem::path& path, Field field, std::uint32_t value)
{
    std::string bytes = testsupport::readFile(path);
    auto put = [&](std::size_t at) {
        for (int i = 0; i < 4; ++i)
            bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xff);
    };
    ASSERT_EQ(bytes.compare(0, 4, "PK\x03\x04"), 0);
    put(field == Field::Crc ? 14 : 22);
    const std::size_t central = bytes.find("PK\x01\x02");
    ASSERT_NE(central, std::string::npos);
    put(central + (field == Field::Crc ? 16 : 24));
    testsupport::writeFile(path, bytes);
}

std::uint32_t readField(const std::filesystem::path& path, Field field)
{
    const std::string bytes = testsupport::readFile(path);
    std::uint32_t v = 0;
    std::memcpy(&v, bytes.data() + (field == Field::Crc ? 14 : 22), 4);
    return v;
}

const ZipError& errorOf(const std::variant<ZipListBytes, ZipError>& r)
{
    static const ZipError none{Kind::Damaged, {}};
    if (const auto* e = std::get_if<ZipError>(&r))
        return *e;
    ADD_FAILURE() << "read a list of " << std::get<ZipListBytes>(r).bytes.size() << " bytes";
    return none;
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
        {"lower case", {{"ken_all.csv", list}}, "ken_all.csv"},
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
        pack(dir / "ken_all.zip", c.entries);
        const auto read = platform::readListFromZip(dir / "ken_all.zip");
        ASSERT_TRUE(std::holds_alternative<ZipListBytes>(read)) << std::get<ZipError>(read).message();
        const ZipListBytes& got = std::get<ZipListBytes>(read);
        EXPECT_EQ(got.entryName, c.entry);
        const std::string& expected = c.entries.back().bytes;
        EXPECT_EQ(got.bytes.size(), expected.size());
        EXPECT_TRUE(got.bytes == expected);
    }
}

TEST(ZipList, RefusesArchivesWithoutExactlyOneList)
{
    TempDir dir;
    pack(dir / "none.zip", {{"readme.txt", "x"}, {"KEN_ALL/", ""}, {"KEN_ALL.TXT", "y"}});
    pack(dir / "two.zip", {{"KEN_ALL.CSV", sampleList(3)}, {"new/utf_ken_all.csv", sampleList(4)}});
    // An archive of no entries is only its end record; libzip writes none.
    testsupport::writeFile(dir / "empty.zip", std::string("PK\x05\x06", 4) + std::string(18, '\0'));

    EXPECT_EQ(errorOf(platform::readListFromZip(dir / "none.zip")).kind, Kind::NoList);
    EXPECT_EQ(errorOf(platform::readListFromZip(dir / "empty.zip")).kind, Kind::NoList);
    const ZipError two = errorOf(platform::readListFromZip(dir / "two.zip"));
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
        const ZipError e = errorOf(platform::readListFromZip(dir / c.name));
        EXPECT_EQ(e.kind, c.kind);
        EXPECT_EQ(e.message(), c.message);
    }
}

TEST(ZipList, RefusesTruncatedArchivesAsDamaged)
{
    TempDir dir;
    for (zip_int32_t method : {ZIP_CM_STORE, ZIP_CM_DEFLATE}) {
        pack(dir / "whole.zip", {{"KEN_ALL.CSV", sampleList(), method}});
        const std::string whole = testsupport::readFile(dir / "whole.zip");
        for (std::size_t keep : {std::size_t(4), std::size_t(30), whole.size() / 2, whole.size() - 30, whole.size() - 1}) {
            SCOPED_TRACE(std::to_string(method) + " cut to " + std::to_string(keep));
            testsupport::writeFile(dir / "cut.zip", whole.substr(0, keep));
            const ZipError e = errorOf(platform::readListFromZip(dir / "cut.zip"));
            EXPECT_EQ(e.kind, Kind::Damaged);
            EXPECT_EQ(e.message().rfind("zip 書庫「cut.zip」", 0), 0u) << e.message();
        }
    }
}

TEST(ZipList, RefusesDataThatDoesNotMatchItsCrc)
{
    for (zip_int32_t method : {ZIP_CM_STORE, ZIP_CM_DEFLATE}) {
        SCOPED_TRACE(method);
        TempDir dir;
        pack(dir / "k.zip", {{"data/KEN_ALL.CSV", sampleList(), method}});
        patchFirstEntry(dir / "k.zip", Field::Crc, readField(dir / "k.zip", Field::Crc) ^ 0x00010000u);
        const ZipError e = errorOf(platform::readListFromZip(dir / "k.zip"));
        EXPECT_EQ(e.kind, Kind::CrcMismatch);
        EXPECT_EQ(e.message(), "zip 書庫「k.zip」の「data/KEN_ALL.CSV」が壊れています（CRC が一致しません）。");
    }
    // A changed byte in the stored data itself.
    TempDir dir;
    pack(dir / "k.zip", {{"KEN_ALL.CSV", sampleList(), ZIP_CM_STORE}});
    std::string bytes = testsupport::readFile(dir / "k.zip");
    bytes[30 + 11 + 500] ^= 1;  // local header, name, then the data
    testsupport::writeFile(dir / "k.zip", bytes);
    EXPECT_EQ(errorOf(platform::readListFromZip(dir / "k.zip")).kind, Kind::CrcMismatch);
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
        pack(dir / "bomb.zip", {{"KEN_ALL.CSV", big, method}});
        patchFirstEntry(dir / "bomb.zip", Field::Size, 1000);
        const ZipError e = errorOf(platform::readListFromZip(dir / "bomb.zip"));
        EXPECT_EQ(e.kind, Kind::LargerThanDeclared);
        EXPECT_EQ(e.message(), "zip 書庫「bomb.zip」の「KEN_ALL.CSV」は書庫に記録された大きさ（1000 バイト）"
                                   "を超えて展開されます。書庫が壊れています。");
    }
}

TEST(ZipList, RefusesAListOverTheLimitBeforeInflating)
{
    TempDir dir;
    const std::string list = sampleList(50);
    pack(dir / "k.zip", {{"KEN_ALL.CSV", list}});
    // The limit itself is still a list; one byte more is not.
    EXPECT_TRUE(std::holds_alternative<ZipListBytes>(platform::readListFromZip(dir / "k.zip", list.size())));
    EXPECT_EQ(errorOf(platform::readListFromZip(dir / "k.zip", list.size() - 1)).kind, Kind::TooLarge);

    // Declared one byte over 1 GiB: refused on the declaration alone.
    patchFirstEntry(dir / "k.zip", Field::Size, (1u << 30) + 1);
    const ZipError e = errorOf(platform::readListFromZip(dir / "k.zip"));
    EXPECT_EQ(e.kind, Kind::TooLarge);
    EXPECT_EQ(e.message(), "zip 書庫「k.zip」の「KEN_ALL.CSV」は 1073741825 バイトあり、一覧の上限（1 GiB）を超えています。");
}

TEST(ZipList, RefusesAnEncryptedList)
{
    TempDir dir;
    pack(dir / "k.zip", {{"KEN_ALL.CSV", sampleList(), ZIP_CM_DEFLATE, true}});
    const ZipError e = errorOf(platform::readListFromZip(dir / "k.zip"));
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

TEST(ZipList, ReadsThePublishedArchiveByteForByte)
{
    std::string why;
    const auto csv = testsupport::realList(&why);
    if (!csv)
        GTEST_SKIP() << why;
    const auto read = platform::readListFromZip(DOZUZEZO_REAL_LIST_ZIP);
    ASSERT_TRUE(std::holds_alternative<ZipListBytes>(read)) << std::get<ZipError>(read).message();
    const ZipListBytes& got = std::get<ZipListBytes>(read);
    EXPECT_EQ(got.entryName, "KEN_ALL.CSV");
    const std::string expected = testsupport::readFile(*csv);
    EXPECT_EQ(got.bytes.size(), expected.size());
    EXPECT_TRUE(got.bytes == expected);
}

} // namespace
