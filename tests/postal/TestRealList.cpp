// The published list itself, unzipped at run time (its export is checked
// through the window and the command-line export).
#include "postal/Export.h"
#include "tests/support/RealList.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <array>

// One run per prefecture, in code order, each in the published layout; and
// every row formatted field by field gives the file's own bytes.
TEST(RealList, LoadsEveryRowInThePublishedLayout)
{
    std::string why;
    const auto path = testsupport::realList(&why);
    if (!path)
        GTEST_SKIP() << why;
    const auto loaded = postal::PostalList::load(*path);
    ASSERT_TRUE(loaded) << loaded.error->message();
    const postal::PostalList& list = *loaded.list;
    EXPECT_EQ(list.rowCount(), 124822u);
    ASSERT_EQ(list.runs().size(), 47u);
    // Rows per prefecture as published in this edition.
    const std::array<std::uint32_t, 47> rows = {
        8201, 2518, 2077, 3420, 2161, 1968, 3978, 2868, 1839, 1501, 2977, 3612, 4165, 2302, 5455, 3261,
        2572, 2265, 950,  1712, 3378, 2950, 7734, 2481, 1854, 6672, 3849, 5231, 1937, 1604, 1398, 1183,
        2192, 2161, 1830, 1426, 713,  1750, 1697, 3312, 871,  1895, 1896, 1857, 877,  1468, 804};
    for (int k = 0; k < 47; ++k) {
        const auto& run = list.runs()[k];
        EXPECT_EQ(run.jisCode, k + 1);
        EXPECT_EQ(run.endRow - run.firstRow, rows[k]) << "prefecture " << k + 1;
        EXPECT_TRUE(run.verbatim);
    }
    std::string formatted;
    for (std::size_t row = 0; row < list.rowCount(); ++row)
        postal::appendExportLine(list, row, formatted);
    EXPECT_TRUE(formatted == testsupport::readFile(*path));
}
