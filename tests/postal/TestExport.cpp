#include "ListLines.h"
#include "postal/BusinessList.h"
#include "postal/Catalogue.h"
#include "postal/Export.h"
#include "postal/ListCheck.h"
#include "tests/support/System.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <optional>
#include <utility>

using postal::PostalList;
using postal::PrefectureSet;
using postal::WriteError;
using testlines::line;
using testsupport::readFile;
using testsupport::TempDir;
using testsupport::writeFile;

namespace {

class StringSink : public postal::ByteSink
{
public:
    bool write(std::string_view bytes) override { return out += bytes, true; }
    std::string out;
};

PrefectureSet codes(std::initializer_list<int> jis)
{
    PrefectureSet s;
    for (int c : jis)
        s.add(c);
    return s;
}

std::string exported(const std::string& list, const PrefectureSet& chosen)
{
    auto parsed = PostalList::parse(list);
    EXPECT_TRUE(parsed) << parsed.error->message();
    StringSink sink;
    EXPECT_TRUE(parsed && postal::writeSelection(*parsed.list, chosen, sink));
    return sink.out;
}

// A list that lacks some prefectures (such as one this program wrote) must
// still give each prefecture its own rows, found by the code in field 1, in
// list order.
TEST(ExportSelection, RowsOfTheChosenCodesInListOrder)
{
    const std::string a = line("02201"), b = line("03201", "岩1"), c = line("06201"),
                      d = line("03202", "岩2"), e = line("13101"), f = line("47201");
    const std::string list = a + b + c + d + e + f;
    // Boxes 5 and 2 ticked: prefecture 03's rows come before 06's, as listed.
    EXPECT_EQ(exported(list, codes({6, 3})), b + c + d);
    EXPECT_EQ(exported(list, codes({3, 13})), b + d + e);
    EXPECT_EQ(exported(list, codes({47})), f);
    EXPECT_EQ(exported(list, codes({1, 2})), a) << "blocks 0 and 1 are not Hokkaido and Aomori";
    EXPECT_EQ(exported(list, codes({14})), "");

    // The business-office list: whole blocks as read, 01 and 47 the bottom
    // and top, a name in Shift-JIS as published.
    using testlines::office;
    const std::string o1 = office("01101", "北海道"), o13 = office("13101", "東京都"),
                      o13sj = office("13102", "\x93\x8C\x8B\x9E\x93\x73"), o14 = office("14101", "神奈川県"),
                      o47 = office("47201", "沖縄県");
    postal::BusinessList offices;
    const auto refused = postal::parseBusinessList(o1 + o13 + o13sj + o14 + o47, offices);
    ASSERT_FALSE(refused) << refused->message();
    const std::pair<PrefectureSet, std::string> chosen[] = {
        {codes({14, 13}), o13 + o13sj + o14}, {codes({1, 47}), o1 + o47}, {codes({47}), o47}, {codes({2}), ""}};
    for (const auto& [set, expected] : chosen) {
        StringSink sink;
        EXPECT_TRUE(postal::writeBusinessSelection(offices, set, sink));
        EXPECT_EQ(sink.out, expected);
    }
}

// Whatever the input looked like, every exported line is in the published
// layout (fields 2-9 quoted, the rest not) and ends in CR LF.
TEST(ExportSelection, WritesThePublishedLayout)
{
    const std::string town = "町, 丁目", canonical = line("13101", town);
    const std::string quotedCode =
        "\"13101\",\"060  \",0600000,\"ﾐﾎﾝｹﾝ\",\"ﾐﾎﾝｼ\",\"ﾐﾎﾝﾁｮｳ\",\"見本県\",\"見本市\","
        "\"町, 丁目\",0,0,0,0,0,0";
    const std::string shifted =
        "13101,060  ,\"0600000\",\"ﾐﾎﾝｹﾝ\",\"ﾐﾎﾝｼ\",\"ﾐﾎﾝﾁｮｳ\",\"見本県\",\"見本市\","
        "\"町, 丁目\",\"0\",0,0,0,0,0\r\n";
    // clang-format off
    const std::pair<std::string, std::string> cases[] = {
        {quotedCode + "\n" + quotedCode + "\r", canonical + canonical},
        {shifted, canonical},  // quoted one field to the right: the same count of quotes
        {line("13101", town, "見本県", "\n") + canonical + canonical, canonical + canonical + canonical},
    };
    // clang-format on
    for (const auto& [input, output] : cases)
        EXPECT_EQ(exported(input, codes({13})), output) << input;
    std::string appended;
    postal::appendExportLine(*PostalList::parse(quotedCode + "\n").list, 0, appended);
    EXPECT_EQ(appended, canonical);
}

// A device is written in place, nothing made beside it; one that refuses
// the bytes (a full disk) is reported as such. (Refused names: the window's
// and the command line's tests.)
TEST(ExportToFile, DevicesAreWrittenInPlace)
{
    TempDir dir;
    const auto list = PostalList::parse(line("13101") + line("14101")).list;
    const auto full = testsupport::makeDevice(dir, "full"),
               null = testsupport::makeDevice(dir, "null");
    EXPECT_FALSE(postal::exportToFile(*list, codes({13}), null));
    if (full.empty())
        GTEST_SKIP() << "a full disk: " << testsupport::kNoDevice;
    const auto error = postal::exportToFile(*list, codes({13}), full);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->kind, WriteError::Kind::WriteFailed);
    EXPECT_NE(error->reason().find("空き容量"), std::string::npos) << error->reason();
    EXPECT_EQ(testsupport::entries(dir.path()), (std::vector<std::string>{"full", "null"}));
    EXPECT_TRUE(std::filesystem::is_character_file(full) &&
                std::filesystem::is_character_file(null));
}

TEST(Catalogue, FindsPrefecturesByNameOrCode)
{
    // clang-format off
    const std::pair<const char*, std::optional<int>> cases[] = {
        {"東京都", 12}, {"東京", 12}, {"13", 12},   {"01", 0},   {"47", 46},  {"沖縄", 46},
        {"北海道", 0},  {"神奈川", 13}, {"北海", {}}, {"0", {}}, {"48", {}}, {"13a", {}}, {"", {}}};
    // clang-format on
    for (const auto& [text, index] : cases)
        EXPECT_EQ(postal::findPrefecture(text), index) << text;
}

// Written from the list as it was read and checked: the chosen rows where
// all of them already are export lines; nothing, and nothing written, where
// a chosen row must be rewritten or the list is damaged.
TEST(ExportToFile, WrittenFromTheListAsChecked)
{
    TempDir dir;
    const std::string published =
        line("01101") + line("13101") + line("13102") + line("14101") + line("47201");
    const std::string lf14 =
        line("01101") + line("13101") + line("14101", "x", "y", "\n") + line("14102") + line("47201");
    const auto target = dir / "out.csv";
    for (const std::string& bytes : {published, lf14}) {
        writeFile(dir / "list.csv", bytes);
        const auto checked = postal::checkListFile(dir / "list.csv");
        ASSERT_TRUE(checked);
        for (const PrefectureSet& chosen :
             {codes({13}), codes({1, 47}), codes({13, 14}), PrefectureSet::all()}) {
            std::filesystem::remove(target);
            const bool rewritten = bytes == lf14 && chosen.contains(14);
            const auto written = postal::exportCheckedList(*checked, chosen, target);
            ASSERT_EQ(bool(written), !rewritten);
            if (written) {
                EXPECT_FALSE(written->error);
                EXPECT_EQ(readFile(target), exported(bytes, chosen));
            }
        }
    }
    // A large list is read in chunks, on two threads where there are two
    // processors, lines running across the chunks' ends.
    std::string large;
    for (const auto& [code, count] :
         {std::pair{"01101", 10000}, {"13101", 25000}, {"47201", 10000}})
        for (int i = 0; i < count; ++i)
            large += line(code);
    ASSERT_GT(large.size(), std::size_t(4) << 20);
    writeFile(dir / "large.csv", large);
    const auto chunks = postal::checkListFile(dir / "large.csv");
    ASSERT_TRUE(chunks);
    EXPECT_EQ(chunks->runs.size(), 3u) << "13's rows as one run across the chunks";
    for (const PrefectureSet& chosen : {codes({13}), codes({1, 47}), PrefectureSet::all()}) {
        std::filesystem::remove(target);
        const auto written = postal::exportCheckedList(*chunks, chosen, target);
        ASSERT_TRUE(written && !written->error);
        EXPECT_TRUE(readFile(target) == exported(large, chosen));
    }
    const std::size_t mb = std::size_t(1) << 20;
    // A row ending in a bare LF where two chunks meet: 13's rows are then
    // rewritten, not copied; the others still are.
    std::string lf = large;
    lf.erase(lf.rfind("\r\n", 2 * mb - 100), 1);
    writeFile(dir / "large.csv", lf);
    const auto withLf = postal::checkListFile(dir / "large.csv");
    ASSERT_TRUE(withLf);
    EXPECT_FALSE(postal::exportCheckedList(*withLf, codes({13}), target));
    const auto others = postal::exportCheckedList(*withLf, codes({1, 47}), target);
    ASSERT_TRUE(others && !others->error);
    EXPECT_TRUE(readFile(target) == exported(lf, codes({1, 47})));
    // A damaged line anywhere refuses it: inside a chunk, across a chunk's
    // end, just before one, in the last line.
    for (const std::size_t at : {large.size() / 4, mb, 2 * mb - 100, 3 * mb + 1, large.size() - 10}) {
        std::string damaged = large;
        damaged.replace(damaged.rfind("\r\n", at) + 2, 6, "13101,\"");
        writeFile(dir / "large.csv", damaged);
        EXPECT_FALSE(postal::checkListFile(dir / "large.csv")) << at;
    }
    writeFile(dir / "large.csv", large + "13104,\"cut");
    EXPECT_FALSE(postal::checkListFile(dir / "large.csv"));
    // Changed between two chunks, rewritten or replaced by another file:
    // never checked, so nothing written from bytes of two versions (the full
    // reader reads it again). Windows lets no file be renamed over one read.
    for (const bool rename : {false, true}) {
        bool tried = false;
        std::error_code ec;
        for (const char* name : {"large.csv", "other.csv"}) { // a change then shows in the times
            writeFile(dir / name, large);
            std::filesystem::last_write_time(
                dir / name, std::filesystem::last_write_time(dir / name) - std::chrono::hours(9000));
        }
        const auto reader = [&](int fd, std::uint64_t offset, char* into, std::size_t size) {
            if (offset >= mb && !std::exchange(tried, true) && rename)
                std::filesystem::rename(dir / "other.csv", dir / "large.csv", ec);
            else if (offset >= mb && offset < 2 * mb) // a valid line of another prefecture
                std::fstream(dir / "large.csv", std::ios::binary | std::ios::in | std::ios::out)
                        .seekp(std::streamoff(large.find("\n13101", 3 * mb) + 1))
                    << "14101";
            return platform::readAt(fd, offset, into, size);
        };
        const bool checked = bool(postal::checkListFile(dir / "large.csv", reader));
        EXPECT_EQ(checked, tried && ec) << rename;
    }
    std::filesystem::remove(dir / "other.csv");
    std::filesystem::remove(dir / "large.csv");
    std::filesystem::remove(target);
    EXPECT_EQ(testsupport::entries(dir.path()), std::vector<std::string>{"list.csv"})
        << "nothing written, no temporary file left";
}

} // namespace
