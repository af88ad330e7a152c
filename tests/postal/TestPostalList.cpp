#include "ListLines.h"
#include "postal/PostalList.h"
#include "tests/support/System.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>

using postal::LoadError;
using postal::PostalList;
using testlines::line;

namespace {

struct BadCase
{
    const char* name;
    std::string bytes;
    LoadError::Kind kind;
    std::size_t line;
    int field; // 0: not checked
    friend void PrintTo(const BadCase& c, std::ostream* os) { *os << c.name; }
};

class Refused : public testing::TestWithParam<BadCase>
{};

TEST_P(Refused, NamesLineAndProblem)
{
    const BadCase& c = GetParam();
    auto result = PostalList::parse(c.bytes);
    ASSERT_FALSE(result) << "a damaged list must be refused whole";
    EXPECT_EQ(result.error->kind, c.kind);
    EXPECT_EQ(result.error->line, c.line);
    if (c.field) {
        EXPECT_EQ(result.error->field, c.field);
    }
    EXPECT_NE(result.error->message().find(std::to_string(c.line) + " 行目"), std::string::npos)
        << result.error->message();
}

const std::string ok = line("13101");

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    DamagedLists, Refused,
    testing::Values(
        BadCase{"fourteen_fields", ok + "13101,\"a\",\"b\",\"c\",\"d\",\"e\",\"f\",\"g\",\"h\",0,0,0,0,0\r\n",
                LoadError::Kind::FieldCount, 2, 0},
        BadCase{"blank_line_in_the_middle", ok + "\r\n" + ok, LoadError::Kind::FieldCount, 2, 0},
        BadCase{"unclosed_quote_does_not_swallow_the_next_line",
                ok + "13101,\"060  ,\"0600000\",\"a\",\"b\",\"c\",\"d\",\"e\",\"f\",0,0,0,0,0,0\r\n" + ok,
                LoadError::Kind::QuoteInField, 2, 2},
        BadCase{"quote_open_at_line_end", ok + line("13101", "見本町\r\n\"") + ok,
                LoadError::Kind::UnclosedQuote, 2, 9},
        BadCase{"nul_byte", ok + line("13101", std::string("見本\0町", 8)), LoadError::Kind::NulByte, 2, 9},
        BadCase{"last_line_cut_short_mid_field", ok + ok.substr(0, 40), LoadError::Kind::CutShort, 2, 0},
        BadCase{"last_line_without_line_end", ok + ok.substr(0, ok.size() - 2), LoadError::Kind::CutShort, 2, 15},
        BadCase{"code_out_of_range", ok + line("48101"), LoadError::Kind::BadCode, 2, 1},
        BadCase{"byte_order_mark", "\xEF\xBB\xBF" + ok, LoadError::Kind::ByteOrderMark, 1, 0},
        BadCase{"too_short_for_a_mark", "\xEF\xBB", LoadError::Kind::CutShort, 1, 0}),
    [](const testing::TestParamInfo<BadCase>& info) { return info.param.name; });
// clang-format on

// Big lists are read in two halves at once; errors in either half must keep
// their true line numbers, and the earlier one wins. Where no second thread
// can be started (no memory for its stack), one reads it all alike.
TEST(PostalListRead, BigListsReportTheTrueLineOfAnError)
{
    const int n = 30000; // ~3 MB, beyond the size read in halves
    const std::string bad = "13101,\"x\"\r\n";
    const std::pair<std::vector<int>, std::size_t> cases[] = {
        {{10}, 11}, {{n / 2 + 7}, n / 2 + 8}, {{n - 1}, n}, {{100, n - 100}, 101}, {{}, 0}};
    bool refused = false;
    struct Restore
    {
        ~Restore() { testsupport::refuseThreads(false); }
    } restore;
    for (const bool threads : {true, false}) {
        if (!threads && !(refused = testsupport::refuseThreads(true)))
            break;
        for (const auto& [badLines, line] : cases) {
            std::string bytes;
            for (int i = 0; i < n; ++i)
                bytes += std::count(badLines.begin(), badLines.end(), i) ? bad : ok;
            const auto result = PostalList::parse(bytes);
            ASSERT_EQ(bool(result), line == 0) << line;
            if (line) {
                EXPECT_EQ(result.error->line, line);
            } else {
                EXPECT_EQ(result.list->span(0, n), bytes);
            }
        }
    }
    if (!refused)
        GTEST_SKIP() << "read without a second thread: " << testsupport::kNoThreadRefusal;
}

TEST(PostalListLoad, FilesAndWhatIsNotAFile)
{
    testsupport::TempDir dir;
    testsupport::writeFile(dir / "empty.csv", "");
    testsupport::writeFile(dir / "three.csv", ok + ok + ok);
    std::filesystem::create_directory(dir / "KEN_ALL.CSV");
    const bool socket = !testsupport::makeSocket(dir, "ken.sock").empty();
    EXPECT_EQ(PostalList::load(dir / "empty.csv").list->rowCount(), 0u);
    EXPECT_EQ(PostalList::load(dir / "three.csv").list->rowCount(), 3u);
    // Named for what it is: a socket is not a file nobody writes to.
    const std::tuple<const char*, LoadError::Kind, std::string> cases[] = {
        {"none.csv", LoadError::Kind::CannotOpen, "ファイルを開けません（ファイルまたはフォルダが存在しません）。"},
        {"KEN_ALL.CSV", LoadError::Kind::NotAFile, "ファイルではなくフォルダです。"},
        {"ken.sock", LoadError::Kind::NotAFile, "ファイルではなくソケットです。"}};
    for (const auto& [name, kind, message] : cases) {
        if (name == std::string("ken.sock") && !socket)
            GTEST_SKIP() << testsupport::kNoSocket;
        const auto result = PostalList::load(dir / name);
        ASSERT_FALSE(result) << name;
        EXPECT_EQ(result.error->kind, kind) << name;
        EXPECT_EQ(result.error->message(), message);
    }
}

} // namespace
