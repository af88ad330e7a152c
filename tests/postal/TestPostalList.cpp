#include "ListLines.h"
#include "postal/BusinessList.h"
#include "postal/ListParser.h"
#include "tests/support/System.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

using postal::ListParser;
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
    const char* message = nullptr;  // checked where given
    friend void PrintTo(const BadCase& c, std::ostream* os) { *os << c.name; }
};

class Refused : public testing::TestWithParam<BadCase>
{
};

TEST_P(Refused, NamesLineAndProblem)
{
    const BadCase& c = GetParam();
    // Either list, as its first line tells.
    int fields = 0;
    std::optional<LoadError> error;
    if (postal::layoutOf(c.bytes, fields) == postal::Layout::Business) {
        postal::BusinessList list;
        error = postal::parseBusinessList(c.bytes, list);
    } else {
        error = PostalList::parse(c.bytes).error;
    }
    ASSERT_TRUE(error) << "a damaged list must be refused whole";
    EXPECT_EQ(error->kind, c.kind);
    EXPECT_EQ(error->line, c.line);
    if (c.field) {
        EXPECT_EQ(error->field, c.field);
    }
    EXPECT_NE(error->message().find(std::to_string(c.line) + " 行目"), std::string::npos) << error->message();
    if (c.message) {
        EXPECT_EQ(error->message(), c.message);
    }
}

const std::string ok = line("13101");
const std::string office = testlines::office("13101", "東京都");
using testlines::with;

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    DamagedLists, Refused,
    testing::Values(
        BadCase{"fourteen_fields", ok + "13101,\"a\",\"b\",\"c\",\"d\",\"e\",\"f\",\"g\",\"h\",0,0,0,0,0\r\n",
                LoadError::Kind::FieldCount, 2, 0},
        BadCase{"sixteen_fields", ok + line("13101", "町\",\"丁目"), LoadError::Kind::FieldCount, 2, 0},
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
        BadCase{"too_short_for_a_mark", "\xEF\xBB", LoadError::Kind::CutShort, 1, 0},
        // The business-office list, the first line good
        BadCase{"office_fourteen_fields", office + with(office, ",0\r", ",0,0\r"), LoadError::Kind::FieldCount, 2, 0,
                "2 行目の項目が 14 個です（13 個のはずです）。"},
        BadCase{"office_name_unquoted", office + with(office, "\"見本株式会社\"", "見本株式会社"),
                LoadError::Kind::NotQuoted, 2, 3, "2 行目の 3 番目の項目が引用符 \" で囲まれていません。"},
        BadCase{"office_flag_quoted", office + with(office, ",0,0,0", ",\"0\",0,0"), LoadError::Kind::Quoted, 2, 11,
                "2 行目の 11 番目の項目が引用符 \" で囲まれています（囲まないはずです）。"},
        BadCase{"office_text_after_quote", office + with(office, "\"銀座\"", "\"銀座\"x"),
                LoadError::Kind::QuoteInField, 2, 10},
        BadCase{"office_unclosed_quote", office + with(office, "\"銀座\"", "\"銀座"), LoadError::Kind::UnclosedQuote, 2, 10},
        BadCase{"office_nul", office + with(office, "見本町", std::string("見本\0町", 8)), LoadError::Kind::NulByte, 2, 6},
        BadCase{"office_code_not_digits", office + testlines::office("1310a", "東京都"), LoadError::Kind::NotDigits, 2, 1,
                "2 行目の 1 番目の項目が 5 桁の数字ではありません。"},
        BadCase{"office_code_six_digits", office + testlines::office("131011", "東京都"), LoadError::Kind::NotDigits, 2, 1},
        BadCase{"office_code_00", testlines::office("00101", "東京都"), LoadError::Kind::BadCode, 1, 1},
        BadCase{"office_code_48", office + testlines::office("48101", "東京都"), LoadError::Kind::BadCode, 2, 1},
        BadCase{"office_postal_code_six_digits", office + with(office, "\"1000001\"", "\"100001\""),
                LoadError::Kind::NotDigits, 2, 8, "2 行目の 8 番目の項目が 7 桁の数字ではありません。"},
        BadCase{"office_postal_code_eight_digits", office + with(office, "\"1000001\"", "\"10000011\""),
                LoadError::Kind::NotDigits, 2, 8},
        BadCase{"office_old_code_one_space", office + with(office, "\"100  \"", "\"100 1\""), LoadError::Kind::BadOldCode, 2, 9,
                "2 行目の 9 番目の項目が旧郵便番号（5 桁の数字、または 3 桁の数字と空白 2 つ）ではありません。"},
        BadCase{"office_old_code_short", office + with(office, "\"100  \"", "\"100\""), LoadError::Kind::BadOldCode, 2, 9},
        BadCase{"office_flag_two_digits", office + with(office, ",0,0,0", ",0,10,0"), LoadError::Kind::NotDigits, 2, 12},
        BadCase{"office_flag_empty", office + with(office, ",0,0,0", ",0,0,"), LoadError::Kind::NotDigits, 2, 13},
        BadCase{"office_name_of_another_prefecture", office + testlines::office("13101", "神奈川県"),
                LoadError::Kind::PrefectureName, 2, 4,
                "2 行目の 4 番目の項目が JIS コード 13 の都道府県名「東京都」ではありません。"},
        BadCase{"office_bottom_and_top_prefectures_named", testlines::office("01101", "北海道") +
                testlines::office("47201", "鹿児島県"), LoadError::Kind::PrefectureName, 2, 4,
                "2 行目の 4 番目の項目が JIS コード 47 の都道府県名「沖縄県」ではありません。"},
        BadCase{"office_block_out_of_order", testlines::office("14101", "神奈川県") + office,
                LoadError::Kind::OutOfOrder, 2, 1, "2 行目で都道府県の順が乱れています（JIS コード 14 の後に 13）。"},
        BadCase{"office_block_again", office + testlines::office("47201", "沖縄県") + office,
                LoadError::Kind::OutOfOrder, 3, 1},
        BadCase{"office_bare_lf", office + with(office, "\r\n", "\n") + office, LoadError::Kind::NotCrLf, 2, 0,
                "2 行目の行末が CR LF ではありません。"},
        BadCase{"office_lone_cr", office + with(office, "\r\n", "\r") + office, LoadError::Kind::NotCrLf, 2, 0},
        BadCase{"office_cut_short", office + office.substr(0, office.size() - 2), LoadError::Kind::CutShort, 2, 13},
        BadCase{"office_byte_order_mark", "\xEF\xBB\xBF" + office, LoadError::Kind::ByteOrderMark, 1, 0}),
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

TEST(PostalListLoad, WhatIsNotAFileIsNamed)
{
    testsupport::TempDir dir;
    std::filesystem::create_directory(dir / "KEN_ALL.CSV");
    const bool socket = !testsupport::makeSocket(dir, "ken.sock").empty();
    // Named for what it is: a socket is not a file nobody writes to.
    // clang-format off
    const std::tuple<const char*, LoadError::Kind, std::string> cases[] = {
        {"none.csv", LoadError::Kind::CannotOpen, "ファイルを開けません（ファイルまたはフォルダが存在しません）。"},
        {"KEN_ALL.CSV", LoadError::Kind::NotAFile, "ファイルではなくフォルダです。"},
        {"ken.sock", LoadError::Kind::NotAFile, "ファイルではなくソケットです。"}};
    // clang-format on
    for (const auto& [name, kind, message] : cases) {
        if (name == std::string("ken.sock") && !socket)
            GTEST_SKIP() << testsupport::kNoSocket;
        const auto result = PostalList::load(dir / name);
        ASSERT_FALSE(result) << name;
        EXPECT_EQ(result.error->kind, kind) << name;
        EXPECT_EQ(result.error->message(), message);
    }
}

// The parser fed as a file reader feeds it: in blocks, judged as they come.
postal::LoadResult feedInBlocks(const std::string& bytes, std::size_t block)
{
    ListParser parser;
    for (std::size_t at = 0; at < bytes.size(); at += block) {
        const std::string_view piece = std::string_view(bytes).substr(at, block);
        std::memcpy(parser.room(piece.size()).data(), piece.data(), piece.size());
        if (!parser.added(piece.size()))
            break;
    }
    return parser.finish();
}

struct Fed
{
    const char* name;
    std::string bytes;
};
class InBlocks : public testing::TestWithParam<Fed>
{
};

// Every block size reads as the whole does: rows, or the same problem at the
// same line. Line ends split between blocks are the usual trap.
TEST_P(InBlocks, ReadAsTheWholeReads)
{
    const std::string& bytes = GetParam().bytes;
    const auto whole = PostalList::parse(bytes);
    for (std::size_t block : {1u, 2u, 3u, 7u, 64u, 100u, 4096u}) {
        SCOPED_TRACE(block);
        const auto fed = feedInBlocks(bytes, block);
        ASSERT_EQ(bool(fed), bool(whole));
        if (!whole) {
            EXPECT_EQ(fed.error->kind, whole.error->kind);
            EXPECT_EQ(fed.error->line, whole.error->line);
            continue;
        }
        ASSERT_EQ(fed.list->rowCount(), whole.list->rowCount());
        for (std::size_t row = 0; row < whole.list->rowCount(); ++row) {
            EXPECT_EQ(fed.list->rawLine(row), whole.list->rawLine(row));
            EXPECT_EQ(fed.list->verbatim(row), whole.list->verbatim(row));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Lists, InBlocks,
    testing::Values(
        Fed{"crlf", ok + line("14101") + ok},
        Fed{"lf", line("13101", "町", "県", "\n") + line("14101", "町", "県", "\n")},
        Fed{"lone_cr", line("13101", "町", "県", "\r") + line("14101", "町", "県", "\r")},
        Fed{"mixed_ends", line("13101", "町", "県", "\r") + ok + line("01101", "町", "県", "\n")},
        Fed{"bad_third_line", ok + ok + "13101,\"x\"\r\n" + ok},
        Fed{"cut_short", ok + ok.substr(0, 50)},
        Fed{"nul_in_last_line", ok + ok.substr(0, 30) + std::string(1, '\0') + ok.substr(31)},
        Fed{"empty", ""}),
    [](const testing::TestParamInfo<Fed>& info) { return info.param.name; });

struct Early
{
    const char* name;
    std::string firstBlock;
    LoadError::Kind kind;
};
class RefusedEarly : public testing::TestWithParam<Early>
{
};

// These are known from the first block: the rest of a huge file is never read.
TEST_P(RefusedEarly, AfterTheFirstBlock)
{
    ListParser parser;
    EXPECT_FALSE(parser.append(GetParam().firstBlock));
    ASSERT_TRUE(parser.error());
    EXPECT_EQ(parser.error()->kind, GetParam().kind);
    EXPECT_EQ(parser.error()->line, 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Lists, RefusedEarly,
    testing::Values(Early{"zeros", std::string(std::size_t(64) << 10, '\0'),
                          LoadError::Kind::NulByte},
                    Early{"nul_after_text_without_line_end",
                          "13101,\"abc" + std::string(8000, '\0'), LoadError::Kind::NulByte},
                    Early{"stray_quote_in_a_long_unended_line",
                          "13101,ab\"" + std::string(8000, 'x'), LoadError::Kind::QuoteInField}),
    [](const testing::TestParamInfo<Early>& info) { return info.param.name; });

TEST(ListParser, AnUnendedLineIsNotJudgedBeforeItsEnd)
{
    // Long and still open: it may yet end well.
    ListParser parser;
    EXPECT_TRUE(parser.append("13101,\"" + std::string(20000, 'a')));
    EXPECT_TRUE(parser.append("\",\"b\",\"c\",\"d\",\"e\",\"f\",\"g\",\"h\",0,0,0,0,0,0\r\n"));
    const auto result = parser.finish();
    ASSERT_TRUE(result) << result.error->message();
    EXPECT_EQ(result.list->field(0, 2).size(), 20000u);
}

} // namespace
