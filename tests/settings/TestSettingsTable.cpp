#include "settings/SettingsTable.h"

#include <gtest/gtest.h>

#include <limits>

using settings::leadingNumber;

TEST(LeadingNumber, ReadsTheNumberAtTheStartAndIgnoresTheRest)
{
    const struct
    {
        const char* text;
        double value;
    } cases[] = {
        // clang-format off
        {"1500.5", 1500.5}, {"-15", -15}, {"12abc", 12}, {"abc", 0}, {"", 0}, {" 7", 7},
        {"\t-3", -3}, {"+4", 4}, {".5", 0.5}, {"5.", 5}, {"-", 0}, {".", 0}, {"- 5", 0},
        {"1e3", 1000}, {"2E-1", 0.2}, {"3e", 3}, {"3e+x", 3}, {"inf", 0}, {"nan", 0}, {"1,5", 1},
        {"1e999", std::numeric_limits<double>::infinity()},
        {"-1e999", -std::numeric_limits<double>::infinity()}, {"1e-999", 0},
        // clang-format on
    };
    for (const auto& c : cases)
        EXPECT_EQ(leadingNumber(c.text), c.value) << '"' << c.text << '"';
}
