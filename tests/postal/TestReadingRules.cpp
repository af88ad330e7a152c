// The loader's fast path for lines in the published layout must agree with
// the plain reading rules on every line, good or damaged. A small reference
// reader, written for clarity, is the judge; lines around each damage are
// the published kind, so the fast path is tried on all of them.
#include "ListLines.h"
#include "ReferenceReader.h"
#include "postal/PostalList.h"

#include <gtest/gtest.h>

#include <array>
#include <optional>

using postal::LoadError;
using postal::PostalList;

using testref::referenceRead;
using testref::RefResult;

namespace {

void expectSameReading(const std::string& input)
{
    const RefResult want = referenceRead(input);
    const auto got = PostalList::parse(input);
    ASSERT_EQ(static_cast<bool>(got), !want.error) << testing::PrintToString(input);
    if (want.error) {
        EXPECT_EQ(got.error->kind, *want.error) << testing::PrintToString(input);
        EXPECT_EQ(got.error->line, want.line) << testing::PrintToString(input);
        return;
    }
    ASSERT_EQ(got.list->rowCount(), want.rows.size()) << testing::PrintToString(input);
    for (std::size_t row = 0; row < want.rows.size(); ++row) {
        EXPECT_EQ(got.list->verbatim(row), want.rows[row].verbatim) << testing::PrintToString(input);
        EXPECT_EQ(got.list->jisCode(row), want.rows[row].code);
        for (int f = 1; f <= 15; ++f)
            ASSERT_EQ(got.list->field(row, f), want.rows[row].fields[f - 1])
                << "field " << f << " of " << testing::PrintToString(input);
    }
}

const std::vector<std::string> kLines = {
    testlines::line("13101"),
    testlines::line("01101", "見本町（一丁目、二丁目,三丁目）"),
    testlines::line("47201", ""),  // an empty quoted field
    "14101,\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",,,,,,\r\n",
};

TEST(ReadingRules, EveryOneByteChangeReadsAsTheRulesSay)
{
    const std::string good = testlines::line("13101");
    const std::string bytes[] = {"\"", ",", "\r", "\n", std::string(1, '\0'), "\t", "x", " ", "5"};
    for (const std::string& line : kLines) {
        expectSameReading(good + line + good);
        for (std::size_t i = 0; i < line.size(); ++i) {
            for (const std::string& b : bytes) {
                std::string replaced = line, inserted = line;
                replaced.replace(i, 1, b);
                inserted.insert(i, b);
                std::string removed = line;
                removed.erase(i, 1);
                expectSameReading(good + replaced + good);
                expectSameReading(good + inserted + good);
                expectSameReading(good + removed + good);
                if (HasFatalFailure() || HasNonfatalFailure())
                    return;
            }
        }
    }
}

} // namespace
