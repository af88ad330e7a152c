#include "ListLines.h"
#include "postal/PostalList.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

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
    int field;  // 0: not checked
    friend void PrintTo(const BadCase& c, std::ostream* os) { *os << c.name; }
};

std::string goodLines(int n)
{
    std::string s;
    for (int i = 0; i < n; ++i)
        s += line("13101");
    return s;
}

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
        BadCase{"code_out_of_range", ok + line("48101"), LoadError::Kind::BadCode, 2, 1}),
    [](const testing::TestParamInfo<BadCase>& info) { return info.param.name; });

TEST(PostalListRead, KeepsFieldBytesExactly)
{
    // Quoted commas and spaces stay, field 1 keeps its leading zero, an old
    // code of three digits keeps its two trailing spaces.
    const std::string bytes =
        "01101,\"060  \",\"0600000\",\"ﾎｯｶｲﾄﾞｳ\",\"ｻｯﾎﾟﾛｼ\",\"ｲｶﾆ, ｹｲｻｲ\",\"北海道\",\"札幌市\","
        "\"見本町（一丁目、二丁目,三丁目）\",0,1,0,0,0,0\r\n";
    auto result = PostalList::parse(bytes);
    ASSERT_TRUE(result) << result.error->message();
    const PostalList& list = *result.list;
    ASSERT_EQ(list.rowCount(), 1u);
    EXPECT_EQ(list.field(0, 1), "01101");
    EXPECT_EQ(list.field(0, 2), "060  ");
    EXPECT_EQ(list.field(0, 6), "ｲｶﾆ, ｹｲｻｲ");
    EXPECT_EQ(list.field(0, 9), "見本町（一丁目、二丁目,三丁目）");
    EXPECT_EQ(list.field(0, 11), "1");
    EXPECT_EQ(list.field(0, 15), "0");
    EXPECT_EQ(list.jisCode(0), 1);
    EXPECT_TRUE(list.verbatim(0));
}

TEST(PostalListRead, RunsFollowTheCodesInListOrder)
{
    auto result = PostalList::parse(line("13101") + line("13102") + line("14101") + line("13103"));
    ASSERT_TRUE(result);
    const auto& runs = result.list->runs();
    ASSERT_EQ(runs.size(), 3u);
    EXPECT_EQ(runs[0].jisCode, 13);
    EXPECT_EQ(runs[0].endRow, 2u);
    EXPECT_EQ(runs[1].jisCode, 14);
    EXPECT_EQ(runs[2].jisCode, 13);
}

// Big lists are read in two halves at once; errors in either half must keep
// their true line numbers, and the earlier one wins.
TEST(PostalListRead, BigListsReportTheTrueLineOfAnError)
{
    const int n = 30000;  // ~3 MB, beyond the size read in halves
    const std::string bad = "13101,\"x\"\r\n";
    for (int where : {10, n / 2 + 7, n - 1}) {
        std::string bytes;
        for (int i = 0; i < n; ++i)
            bytes += i == where ? bad : ok;
        auto result = PostalList::parse(bytes);
        ASSERT_FALSE(result);
        EXPECT_EQ(result.error->line, static_cast<std::size_t>(where + 1));
    }
    std::string bytes;
    for (int i = 0; i < n; ++i)
        bytes += (i == 100 || i == n - 100) ? bad : ok;
    auto result = PostalList::parse(bytes);
    ASSERT_FALSE(result);
    EXPECT_EQ(result.error->line, 101u);

    auto good = PostalList::parse(goodLines(n));
    ASSERT_TRUE(good);
    EXPECT_EQ(good.list->rowCount(), static_cast<std::size_t>(n));
    EXPECT_EQ(good.list->span(0, n).size(), static_cast<std::size_t>(n) * ok.size());
}

TEST(PostalListLoad, FilesAndWhatIsNotAFile)
{
    testsupport::TempDir dir;
    testsupport::writeFile(dir / "empty.csv", "");
    auto empty = PostalList::load(dir / "empty.csv");
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty.list->rowCount(), 0u);

    testsupport::writeFile(dir / "three.csv", goodLines(3));
    auto three = PostalList::load(dir / "three.csv");
    ASSERT_TRUE(three);
    EXPECT_EQ(three.list->rowCount(), 3u);

    auto missing = PostalList::load(dir / "none.csv");
    ASSERT_FALSE(missing);
    EXPECT_EQ(missing.error->kind, LoadError::Kind::CannotOpen);
    EXPECT_NE(missing.error->message().find("存在しません"), std::string::npos);

    std::filesystem::create_directory(dir / "KEN_ALL.CSV");
    auto folder = PostalList::load(dir / "KEN_ALL.CSV");
    ASSERT_FALSE(folder);
    EXPECT_EQ(folder.error->kind, LoadError::Kind::CannotOpen);
}

} // namespace
