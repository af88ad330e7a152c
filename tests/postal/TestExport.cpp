#include "ListLines.h"
#include "postal/Export.h"
#include "tests/support/System.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <optional>

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

std::shared_ptr<const PostalList> parse(const std::string& bytes)
{
    auto result = PostalList::parse(bytes);
    EXPECT_TRUE(result) << result.error->message();
    return result.list;
}

PrefectureSet codes(std::initializer_list<int> jis)
{
    PrefectureSet s;
    for (int c : jis)
        s.add(c);
    return s;
}

std::string exported(const PostalList& list, const PrefectureSet& chosen)
{
    StringSink sink;
    EXPECT_TRUE(postal::writeSelection(list, chosen, sink));
    return sink.out;
}

// A list that lacks some prefectures (such as one this program wrote) must
// still give each prefecture its own rows, found by the code in field 1, in
// list order.
TEST(ExportSelection, RowsOfTheChosenCodesInListOrder)
{
    const std::string a = line("02201"), b = line("03201", "岩1"), c = line("06201"),
                      d = line("03202", "岩2"), e = line("13101"), f = line("47201");
    auto list = parse(a + b + c + d + e + f);
    // Boxes 5 and 2 ticked: prefecture 03's rows come before 06's, as listed.
    EXPECT_EQ(exported(*list, codes({6, 3})), b + c + d);
    EXPECT_EQ(exported(*list, codes({3, 13})), b + d + e);
    EXPECT_EQ(exported(*list, codes({47})), f);
    EXPECT_EQ(exported(*list, codes({1, 2})), a) << "blocks 0 and 1 are not Hokkaido and Aomori";
    EXPECT_EQ(exported(*list, codes({14})), "");
}

TEST(ExportSelection, WritesTheListLayoutWhateverTheInputLooked)
{
    // Field 1 quoted, field 3 unquoted, LF and lone CR line ends: the export
    // writes the published layout with CR LF.
    const std::string canonical = line("13101", "町, 丁目");
    std::string odd = "\"13101\",\"060  \",0600000,\"ﾐﾎﾝｹﾝ\",\"ﾐﾎﾝｼ\",\"ﾐﾎﾝﾁｮｳ\",\"見本県\",\"見本市\","
                      "\"町, 丁目\",0,0,0,0,0,0";
    auto list = parse(odd + "\n" + odd + "\r");
    EXPECT_EQ(exported(*list, codes({13})), canonical + canonical);
    std::string appended;
    postal::appendExportLine(*list, 0, appended);
    EXPECT_EQ(appended, canonical);
}

class ExportToFile : public testing::Test
{
protected:
    TempDir dir;
    std::shared_ptr<const PostalList> list = parse(line("13101") + line("14101"));

    std::vector<std::string> entries() const
    {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(dir.path()))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
};

// Refusals at opening and at the end are both reported, and change nothing;
// a device is written in place, nothing made beside it.
TEST_F(ExportToFile, FailuresAreReportedAndChangeNothing)
{
    std::filesystem::create_directory(dir / "taken.csv");
    const auto full = testsupport::makeDevice(dir, "full"), null = testsupport::makeDevice(dir, "null");
    const std::pair<std::filesystem::path, std::optional<WriteError::Kind>> cases[] = {
        {dir / "no-such-folder" / "out.csv", WriteError::Kind::FolderMissing},
        {dir / "taken.csv", WriteError::Kind::NotAFile},
        {full, WriteError::Kind::WriteFailed},
        {null, std::nullopt}};
    for (const auto& [target, kind] : cases) {
        if (target.empty())
            continue;  // no such device here
        const auto error = postal::exportToFile(*list, codes({13}), target);
        EXPECT_EQ(error ? std::optional(error->kind) : std::nullopt, kind) << target;
        if (error && target == full) {
            EXPECT_NE(error->reason().find("空き容量"), std::string::npos);
        }
    }
    std::vector<std::string> left{"taken.csv"};
    for (const auto& device : {full, null}) {
        if (device.parent_path() == dir.path()) {  // made here, not the system's own
            left.push_back(device.filename().string());
            EXPECT_TRUE(std::filesystem::is_character_file(device)) << device;
        }
    }
    std::sort(left.begin(), left.end());
    EXPECT_EQ(entries(), left);
    if (full.empty())
        GTEST_SKIP() << "a full disk: " << testsupport::kNoDevice;
}

// A file-size limit makes the write fail part-way: the old file must stay
// exactly as it was, nothing partial may remain, and the reason is told.
TEST_F(ExportToFile, SizeLimitPartWayKeepsTheOldFile)
{
    std::string big;
    for (int i = 0; i < 2000; ++i)
        big += line("13101");
    auto bigList = parse(big);
    const auto target = dir / "out.csv";
    writeFile(target, "old content\r\n");

    const auto failed = testsupport::underAFileSizeLimit(50000, [&] {
        const auto error = postal::exportToFile(*bigList, codes({13}), target);
        return testsupport::Outcome{error ? static_cast<int>(error->kind) : -1, error ? error->sysError : 0};
    });
    if (!failed)
        GTEST_SKIP() << testsupport::kNoSizeLimit;
    EXPECT_EQ(*failed, testsupport::Outcome(static_cast<int>(WriteError::Kind::WriteFailed), EFBIG));
    EXPECT_EQ(readFile(target), "old content\r\n");
    EXPECT_EQ(entries(), std::vector<std::string>{"out.csv"});
}

// The one-shot export writes while the list is still being checked: what it
// keeps must equal the export from the checked rows, whatever the list.
TEST_F(ExportToFile, WritingWhileCheckingKeepsOnlyWhatTheRowsSay)
{
    const std::string published = line("13101") + line("14101") + line("13102");
    const std::string odd = "\"13103\",\"060  \",0600000,\"a\",\"b\",\"c\",\"d\",\"e\",\"f\",0,0,0,0,0,0\n";
    for (const std::string& bytes : {published, published + odd, line("14101", "x", "y", "\n") + published}) {
        writeFile(dir / "list.csv", bytes);
        auto list = parse(bytes);
        for (const PrefectureSet& chosen : {codes({13}), PrefectureSet::all()}) {
            writeFile(dir / "out.csv", std::string(100000, 'x')); // replaced whole
            ASSERT_TRUE(postal::exportListFile(dir / "list.csv", chosen, dir / "out.csv"));
            EXPECT_EQ(readFile(dir / "out.csv"), exported(*list, chosen));
        }
    }
    writeFile(dir / "list.csv", published + "13104,\"cut");
    const auto refused = postal::exportListFile(dir / "list.csv", PrefectureSet::all(), dir / "out.csv");
    ASSERT_TRUE(refused.loadError);
    EXPECT_EQ(refused.loadError->line, 4u);
    EXPECT_EQ(entries(), (std::vector<std::string>{"list.csv", "out.csv"})) << "no temporary file left";
}

// Copied from the file as it was checked: the chosen rows where all of them
// already are export lines; nothing, and nothing written, where a chosen row
// must be rewritten, the list is damaged, or it changed since the check.
TEST_F(ExportToFile, CopiedFromTheListFileAsChecked)
{
    const std::string published = line("01101") + line("13101") + line("13102") + line("14101") + line("47201");
    const std::string lf14 = line("01101") + line("13101") + line("14101", "x", "y", "\n") + line("47201");
    const auto target = dir / "out.csv";
    for (const std::string& bytes : {published, lf14}) {
        writeFile(dir / "list.csv", bytes);
        const auto spans = postal::checkListFile(dir / "list.csv");
        ASSERT_TRUE(spans);
        auto list = parse(bytes);
        for (const PrefectureSet& chosen : {codes({13}), codes({1, 47}), codes({13, 14}), PrefectureSet::all()}) {
            std::filesystem::remove(target);
            const bool rewritten = bytes == lf14 && chosen.contains(14);
            const auto copied = postal::exportByCopy(dir / "list.csv", *spans, chosen, target);
            ASSERT_EQ(bool(copied), !rewritten);
            if (copied) {
                EXPECT_FALSE(copied->error);
                EXPECT_EQ(readFile(target), exported(*list, chosen));
            }
        }
    }
    writeFile(dir / "list.csv", published);
    const auto spans = postal::checkListFile(dir / "list.csv");
    ASSERT_TRUE(spans);
    writeFile(dir / "list.csv", published + line("47202"));
    std::filesystem::remove(target);
    EXPECT_FALSE(postal::exportByCopy(dir / "list.csv", *spans, PrefectureSet::all(), target));
    writeFile(dir / "list.csv", published + "13104,\"cut");
    EXPECT_FALSE(postal::checkListFile(dir / "list.csv"));
    EXPECT_EQ(entries(), std::vector<std::string>{"list.csv"}) << "nothing written, no temporary file left";
}

} // namespace
