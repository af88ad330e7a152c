// The list read out of zip archives that the tests pack at run time (the
// published ken_all.zip is read whole by the export's tests).
#include "platform/ZipList.h"
#include "tests/support/System.h"
#include "tests/support/TempDir.h"
#include "tests/support/ZipPacking.h"

#include <gtest/gtest.h>
#include <zip.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <vector>

using platform::ZipError;
using platform::ZipListBytes;
using testsupport::TempDir;
using Packed = testsupport::PackedEntry;
using Field = testsupport::ZipField;
using testsupport::packZip;
using testsupport::patchFirstEntry;
using Kind = ZipError::Kind;
using Read = std::variant<ZipListBytes, ZipError>;

namespace {

// A small made-up list, long enough that deflate has something to do.
std::string sampleList(int lines = 2000)
{
    std::string s;
    for (int i = 0; i < lines; ++i) {
        const std::string n = std::to_string(1000000 + i * 7);
        s += "13101,\"100  \",\"" + n +
             "\",\"ﾄｳｷｮｳﾄ\",\"ﾁﾖﾀﾞｸ\",\"ｲｶﾆｹｲｻｲｶﾞﾅｲﾊﾞｱｲ\",\"東京都\",\"千代田区\",\"町" +
             std::to_string(i) + "\",0,0,0,0,0,0\r\n";
    }
    return s;
}

// The archive read from its file and, the same, from its bytes in memory
// (as downloaded): both must come to the same list or the same refusal.
Read readZip(const std::filesystem::path& path, std::uint64_t limit = platform::kMaxListBytes)
{
    Read fromFile = platform::readListFromZip(path, limit);
    if (std::filesystem::is_regular_file(path)) {
        const Read fromMemory =
            platform::readListFromZipBytes(testsupport::readFile(path), path.filename(), limit);
        EXPECT_EQ(fromMemory.index(), fromFile.index());
        if (const auto* bytes = std::get_if<ZipListBytes>(&fromMemory);
            bytes && fromFile.index() == 0) {
            EXPECT_TRUE(bytes->bytes == std::get<ZipListBytes>(fromFile).bytes &&
                        bytes->entryName == std::get<ZipListBytes>(fromFile).entryName);
        } else if (fromFile.index() == 1 && fromMemory.index() == 1) {
            EXPECT_EQ(std::get<ZipError>(fromMemory).message(),
                      std::get<ZipError>(fromFile).message());
        }
    }
    return fromFile;
}

// A second directory and end record after the archive's own, saying its
// list is stored and empty, which its local header denies.
void appendDisagreeingDirectory(const std::filesystem::path& path)
{
    std::string a = testsupport::readFile(path);
    const auto u32 = [&](std::size_t at) {
        return std::uint32_t(std::uint8_t(a[at])) | std::uint32_t(std::uint8_t(a[at + 1])) << 8 |
               std::uint32_t(std::uint8_t(a[at + 2])) << 16 | std::uint32_t(std::uint8_t(a[at + 3])) << 24;
    };
    const std::size_t end = a.size() - 22;
    std::string directory = a.substr(u32(end + 16), u32(end + 12));
    directory.replace(10, 2, 2, '\0');  // stored
    directory.replace(16, 12, 12, '\0'); // CRC and sizes: nothing
    std::string record = a.substr(end);
    const std::uint32_t at = static_cast<std::uint32_t>(a.size());
    for (int i = 0; i < 4; ++i)
        record[16 + i] = char(at >> (8 * i));
    testsupport::writeFile(path, a + directory + record);
}

TEST(ZipList, FindsTheOneListAndReadsItExactly)
{
    struct Case
    {
        const char* what;
        std::vector<Packed> entries;
        const char* entry;
        std::size_t padding = 0;  // bytes after the end record
        bool secondDirectory = false;
    };
    const std::string list = sampleList();
    // clang-format off
    const Case cases[] = {
        {"stored", {{"KEN_ALL.CSV", list, ZIP_CM_STORE}}, "KEN_ALL.CSV"},
        {"deflated", {{"KEN_ALL.CSV", list}}, "KEN_ALL.CSV"},
        {"nested folder", {{"2026/", ""}, {"2026/04/Utf_Ken_All.Csv", list}}, "2026/04/Utf_Ken_All.Csv"},
        {"others ignored",
         {{"readme.txt", "x"}, {"KEN_ALL.CSV.bak", "y"}, {"old_ken_all.csv", "z"}, {"KEN_ALL.CSV", list}},
         "KEN_ALL.CSV"},
        {"empty list", {{"KEN_ALL.CSV", ""}}, "KEN_ALL.CSV"},
        // As a download padded by its server: not plain, read by libzip.
        {"padded", {{"KEN_ALL.CSV", list}}, "KEN_ALL.CSV", 100},
        // Two directories, and the one that agrees with the local header wins.
        {"second directory denied by the local header", {{"KEN_ALL.CSV", list}}, "KEN_ALL.CSV", 0, true},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        packZip(dir / "ken_all.zip", c.entries);
        if (c.padding)
            testsupport::writeFile(dir / "ken_all.zip",
                                   testsupport::readFile(dir / "ken_all.zip") + std::string(c.padding, '\0'));
        if (c.secondDirectory)
            appendDisagreeingDirectory(dir / "ken_all.zip");
        const Read read = readZip(dir / "ken_all.zip");
        ASSERT_TRUE(std::holds_alternative<ZipListBytes>(read))
            << std::get<ZipError>(read).message();
        EXPECT_EQ(std::get<ZipListBytes>(read).entryName, c.entry);
        EXPECT_TRUE(std::get<ZipListBytes>(read).bytes == c.entries.back().bytes);
    }
}

// Written as a stream, by libarchive here: deflated, its sizes and CRC
// after the data rather than in the local header, as unzip accepts.
TEST(ZipList, ReadsAnArchiveWrittenAsAStream)
{
#ifdef _WIN32
    GTEST_SKIP() << "cmake, whose libarchive writes such archives, runs only on the build machine";
#endif
    const std::string list = sampleList();
    TempDir dir;
    testsupport::writeFile(dir / "KEN_ALL.CSV", list);
    const std::string command = "cd '" + dir.path().string() +
                                "' && '" DOZUZEZO_CMAKE_COMMAND
                                "' -E tar cf ken_all.zip --format=zip KEN_ALL.CSV";
    ASSERT_EQ(std::system(command.c_str()), 0);
    ASSERT_NE(testsupport::readFile(dir / "ken_all.zip")[6] & 8, 0) << "no data descriptor";
    const Read read = readZip(dir / "ken_all.zip");
    ASSERT_TRUE(std::holds_alternative<ZipListBytes>(read)) << std::get<ZipError>(read).message();
    EXPECT_TRUE(std::get<ZipListBytes>(read).bytes == list);
}

// Every refusal names the archive (and its list, once found) and what is
// wrong with it. `message` is the whole text, or where empty only its start.
TEST(ZipList, RefusesWhatIsNoSoundArchiveOfOneList)
{
    const std::string list = sampleList();
    std::string bomb; // 3 MB of one repeated line, declared as 1000 bytes
    while (bomb.size() < 3'000'000)
        bomb += sampleList(1);
    struct Case
    {
        const char* what;
        std::function<void(const std::filesystem::path&)> make; // ken_all.zip
        Kind kind;
        std::string message;
        std::uint64_t limit = platform::kMaxListBytes;
    };
    const auto packed = [](std::vector<Packed> entries,
                           std::optional<std::pair<Field, std::uint32_t>> patch = {}) {
        return [=](const std::filesystem::path& zip) {
            packZip(zip, entries);
            if (patch)
                patchFirstEntry(zip, patch->first, patch->second);
        };
    };
    const auto written = [](std::string bytes) {
        return [=](const std::filesystem::path& zip) { testsupport::writeFile(zip, bytes); };
    };
    const std::string notAZip = "「ken_all.zip」は zip 書庫ではありません。";
    const auto cut = [&](zip_int32_t method, std::size_t missing) {
        return [=](const std::filesystem::path& zip) {
            packZip(zip, {{"KEN_ALL.CSV", list, method}});
            const std::string bytes = testsupport::readFile(zip);
            testsupport::writeFile(
                zip, bytes.substr(0, missing ? bytes.size() - missing : bytes.size() / 2));
        };
    };
    // clang-format off
    const Case cases[] = {
        {"no list", packed({{"readme.txt", "x"}, {"KEN_ALL/", ""}, {"KEN_ALL.TXT", "y"}}), Kind::NoList,
         "zip 書庫「ken_all.zip」に一覧 KEN_ALL.CSV がありません。"},
        // An archive of no entries is only its end record; libzip writes none.
        {"no entries", written(std::string("PK\x05\x06", 4) + std::string(18, '\0')), Kind::NoList, ""},
        {"two lists", packed({{"KEN_ALL.CSV", sampleList(3)}, {"new/utf_ken_all.csv", sampleList(4)}}), Kind::TwoLists,
         "zip 書庫「ken_all.zip」に一覧が 2 つあります（「KEN_ALL.CSV」と「new/utf_ken_all.csv」）。"
         "どちらを読むか決められません。"},
        {"a list", written(sampleList(2)), Kind::NotAZip, notAZip},
        {"empty", written(""), Kind::NotAZip, notAZip},
        {"one P", written("P"), Kind::NotAZip, notAZip},
        {"missing", [](const auto&) {}, Kind::CannotOpen, "zip 書庫「ken_all.zip」を開けません（ファイルが存在しません）。"},
        {"a folder", [](const auto& zip) { std::filesystem::create_directory(zip); }, Kind::CannotOpen,
         "zip 書庫「ken_all.zip」を開けません（フォルダです）。"},
        {"cut in half", cut(ZIP_CM_STORE, 0), Kind::Damaged, "zip 書庫「ken_all.zip」が壊れているか、途中で切れています。"},
        {"cut short before its end record", cut(ZIP_CM_DEFLATE, 30), Kind::Damaged, ""},
        {"crc", packed({{"data/KEN_ALL.CSV", list}}, std::pair(Field::Crc, 0x12345u)), Kind::CrcMismatch,
         "zip 書庫「ken_all.zip」の「data/KEN_ALL.CSV」が壊れています（CRC が一致しません）。"},
        {"crc of a stored list", packed({{"KEN_ALL.CSV", list, ZIP_CM_STORE}}, std::pair(Field::Crc, 0x12345u)),
         Kind::CrcMismatch, ""},
        {"bomb", packed({{"KEN_ALL.CSV", bomb}}, std::pair(Field::Size, 1000u)), Kind::LargerThanDeclared,
         "zip 書庫「ken_all.zip」の「KEN_ALL.CSV」は書庫に記録された大きさ（1000 バイト）を超えて展開されます。"
         "書庫が壊れています。"},
        {"stored bomb", packed({{"KEN_ALL.CSV", bomb, ZIP_CM_STORE}}, std::pair(Field::Size, 1000u)),
         Kind::LargerThanDeclared, ""},
        // The limit itself is still a list (the first case above); one byte more is not.
        {"a byte over the limit", packed({{"KEN_ALL.CSV", list}}), Kind::TooLarge, "", list.size() - 1},
        // Declared one byte over 1 GiB: refused on the declaration alone.
        {"declared over 1 GiB", packed({{"KEN_ALL.CSV", list}}, std::pair(Field::Size, (1u << 30) + 1)),
         Kind::TooLarge,
         "zip 書庫「ken_all.zip」の「KEN_ALL.CSV」は 1073741825 バイトあり、一覧の上限（1 GiB）を超えています。"},
        {"encrypted", packed({{"KEN_ALL.CSV", list, ZIP_CM_DEFLATE, true}}), Kind::Encrypted,
         "zip 書庫「ken_all.zip」の「KEN_ALL.CSV」は暗号化されているため読めません。"},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        c.make(dir / "ken_all.zip");
        const Read read = readZip(dir / "ken_all.zip", c.limit);
        ASSERT_TRUE(std::holds_alternative<ZipError>(read));
        EXPECT_EQ(std::get<ZipError>(read).kind, c.kind);
        const std::string message = std::get<ZipError>(read).message();
        EXPECT_EQ(message, c.message.empty() ? message : c.message);
        EXPECT_EQ(message.find("zip 書庫「ken_all.zip」") == 0, c.kind != Kind::NotAZip) << message;
    }
}

// A pipe is never read from here: an archive is read from its end, which a
// pipe does not have, and what a pipe named as the list gives belongs to the
// list reader.
TEST(ZipList, APipeIsNeitherReadNorTakenForAnArchive)
{
    TempDir dir;
    if (!testsupport::makeFifo(dir / "ken_all.zip") || !testsupport::makeFifo(dir / "pipe.csv"))
        GTEST_SKIP() << testsupport::kNoFifo;
    const Read read = platform::readListFromZip(dir / "ken_all.zip");
    ASSERT_TRUE(std::holds_alternative<ZipError>(read));
    EXPECT_EQ(std::get<ZipError>(read).message(),
              "zip 書庫「ken_all.zip」を開けません（通常のファイルではありません）。");
    EXPECT_FALSE(platform::looksLikeZip(dir / "pipe.csv"));
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
        packZip(dir / "k.zip", {{"KEN_ALL.CSV", sampleList(), method}});
        Touching receiver;
        receiver.archive = dir / "k.zip";
        std::string entry;
        const auto e = platform::readListFromZip(dir / "k.zip", receiver, entry);
        if (e)
            EXPECT_EQ(e->message(),
                      "zip 書庫「k.zip」が読み込み中に変更されました。もう一度お試し下さい。");
        else
            EXPECT_TRUE(receiver.bytes == sampleList()) << method;
    }
}

TEST(ZipList, TellsListNamesAndArchivesApart)
{
    // clang-format off
    const std::pair<const char*, bool> names[] = {
        {"KEN_ALL.CSV", true},        {"ken_all.csv", true},     {"a/b/Ken_All.csv", true},
        {"x\\utf_ken_all.CSV", true}, {"KEN_ALL.CSV/", false},   {"KEN_ALL.CSV.bak", false},
        {"myken_all.csv", false},     {"utf_ken_all.txt", false}, {"", false},
    };
    // clang-format on
    for (const auto& [name, list] : names)
        EXPECT_EQ(platform::isListEntryName(name), list) << name;

    TempDir dir;
    testsupport::writeFile(dir / "list.csv", sampleList(1));
    testsupport::writeFile(dir / "packed.csv", "PK\x03\x04rest");
    testsupport::writeFile(dir / "text.ZIP", sampleList(1));
    const std::pair<const char*, bool> files[] = {{"list.csv", false},   {"packed.csv", true},
                                                  {"text.ZIP", true},    {"absent.zip", true},
                                                  {"absent.csv", false}};
    for (const auto& [name, zip] : files)
        EXPECT_EQ(platform::looksLikeZip(dir / name), zip) << name;
}

} // namespace
