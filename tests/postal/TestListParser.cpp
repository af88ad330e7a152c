// The parser fed as a file reader feeds it: in blocks, judged as they come.
#include "ListLines.h"
#include "postal/ListParser.h"

#include <gtest/gtest.h>

#include <cstring>

using postal::ListParser;
using postal::LoadError;
using postal::PostalList;
using testlines::line;

namespace {

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
{};

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

const std::string ok = line("13101");

INSTANTIATE_TEST_SUITE_P(
    Lists, InBlocks,
    testing::Values(Fed{"crlf", ok + line("14101") + ok},
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
{};

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
    testing::Values(Early{"zeros", std::string(std::size_t(64) << 10, '\0'), LoadError::Kind::NulByte},
                    Early{"nul_after_text_without_line_end", "13101,\"abc" + std::string(8000, '\0'),
                          LoadError::Kind::NulByte},
                    Early{"bad_code_on_line_1", line("48101") + ok.substr(0, 20), LoadError::Kind::BadCode},
                    Early{"byte_order_mark", "\xEF\xBB\xBF" + ok, LoadError::Kind::ByteOrderMark},
                    Early{"stray_quote_in_a_long_unended_line", "13101,ab\"" + std::string(8000, 'x'),
                          LoadError::Kind::QuoteInField}),
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
