// The loader's fast path for lines in the published layout must agree with
// the plain reading rules on every line, good or damaged. A small reference
// reader, written for clarity, is the judge; lines around each damage are
// the published kind, so the fast path is tried on all of them.
#include "ListLines.h"
#include "postal/PostalList.h"

#include <gtest/gtest.h>

#include <array>
#include <optional>

using postal::LoadError;
using postal::PostalList;

namespace {

struct RefRow
{
    std::array<std::string, 15> fields;
    bool verbatim;
    int code;
};

struct RefResult
{
    std::optional<LoadError::Kind> error;
    std::size_t line = 0;
    std::vector<RefRow> rows;
};

RefResult referenceRead(const std::string& s)
{
    RefResult r;
    const std::string fieldStop(",\"\r\n\0", 5), quotedStop("\"\r\n\0", 4);
    std::size_t pos = 0;
    auto fail = [&](LoadError::Kind kind) {
        r.error = kind;
        r.rows.clear();
        return r;
    };
    while (pos < s.size()) {
        ++r.line;
        RefRow row{{}, true, 0};
        int n = 0;
        for (;;) {
            std::string content;
            bool quoted = s[pos] == '"';
            if (quoted) {
                const std::size_t close = s.find_first_of(quotedStop, pos + 1);
                if (close == std::string::npos)
                    return fail(LoadError::Kind::CutShort);
                if (s[close] == '\0')
                    return fail(LoadError::Kind::NulByte);
                if (s[close] != '"')
                    return fail(LoadError::Kind::UnclosedQuote);
                content = s.substr(pos + 1, close - pos - 1);
                pos = close + 1;
            } else {
                const std::size_t stop = std::min(s.find_first_of(fieldStop, pos), s.size());
                content = s.substr(pos, stop - pos);
                pos = stop;
            }
            if (n < 15)
                row.fields[n] = content;
            ++n;
            row.verbatim = row.verbatim && quoted == (n >= 2 && n <= 9);
            if (pos == s.size())
                return fail(LoadError::Kind::CutShort);
            if (s[pos] == ',') {
                ++pos;
                continue;
            }
            if (s[pos] == '\0')
                return fail(LoadError::Kind::NulByte);
            if (s[pos] != '\r' && s[pos] != '\n')
                return fail(LoadError::Kind::QuoteInField);
            break;
        }
        if (n != 15)
            return fail(LoadError::Kind::FieldCount);
        const std::string& f1 = row.fields[0];
        if (f1.size() < 2 || !isdigit(static_cast<unsigned char>(f1[0])) ||
            !isdigit(static_cast<unsigned char>(f1[1])))
            return fail(LoadError::Kind::BadCode);
        row.code = (f1[0] - '0') * 10 + (f1[1] - '0');
        if (row.code < 1 || row.code > 47)
            return fail(LoadError::Kind::BadCode);
        if (s.compare(pos, 2, "\r\n") == 0) {
            pos += 2;
        } else {
            ++pos;
            row.verbatim = false;
        }
        r.rows.push_back(row);
    }
    return r;
}

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

TEST(ReadingRules, LongLinesAndLinesNearTheEnd)
{
    const std::string good = testlines::line("13101");
    for (std::size_t length : {100u, 230u, 240u, 250u, 260u, 400u}) {
        const std::string town(length, 'a');
        expectSameReading(good + testlines::line("13102", town));
        expectSameReading(testlines::line("13102", town));
        expectSameReading(testlines::line("13102", town).substr(0, length / 2));
    }
}

} // namespace
