#include "settings/SettingsTable.h"
#include "tests/support/MemorySettingsStore.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

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

TEST(TypedReaders, ReadStoredTextsAsTheProgramAlwaysHas)
{
    using namespace settings;
    // Ticks: the leading number rounded; only 0 clears. Flags: exactly "1".
    // Positions: a number must start the text. Tab indexes: plain digits.
    for (const char* on : {"1", "-1", "0.5"})
        EXPECT_TRUE(isTicked(on)) << on;
    for (const char* off : {"0.4", "0", "abc", ""})
        EXPECT_FALSE(isTicked(off)) << off;
    EXPECT_EQ(std::string(tickText(true)) + std::string(tickText(false)), "10");
    EXPECT_TRUE(isOn("1"));
    for (const char* off : {"0", "", "2", " 1", "1 ", "01", "true"})
        EXPECT_FALSE(isOn(off)) << '"' << off << '"';
    for (const char* number : {"0", "-15", " 7", "\t7", "+4", ".5", "1500.5x"})
        EXPECT_TRUE(holdsNumber(number)) << '"' << number << '"';
    for (const char* text : {"", "abc", "-", ".", "- 5", "x1"})
        EXPECT_FALSE(holdsNumber(text)) << '"' << text << '"';
    EXPECT_EQ(twipsText(1500.4) + " " + twipsText(-0.6), "1500 -1");
    EXPECT_EQ(tabIndex("0") + tabIndex("1") * 10 + tabIndex("999") * 100, 99910);
    for (const char* other : {"", "-1", " 1", "1x", "abc", "1000"})
        EXPECT_EQ(tabIndex(other), -1) << '"' << other << '"';
}

TEST(SettingsTable, KeysAreReadAndWrittenUnderTheirStoredNames)
{
    testsupport::MemorySettingsStore store;
    settings::write(store, settings::Setting::OptCent, "1");
    settings::write(store, settings::Setting::YubinFile, "x.csv");
    settings::writeTick(store, 46, "0");
    using Access = testsupport::MemorySettingsStore::Access;
    EXPECT_EQ(store.writes(), (std::vector<Access>{{"Position", "OptCent", "1"},
                                                   {"Config", "Yubin_File", "x.csv"},
                                                   {"Ken_on_off", "Ken_OnOff(46)", "0"}}));
    EXPECT_EQ(settings::read(store, settings::Setting::OptCent), "1");
    EXPECT_EQ(settings::readTick(store, 46), "0");
    EXPECT_EQ(settings::readTick(store, 0), "");
}
