#include "postal/Catalogue.h"

#include <gtest/gtest.h>

using namespace postal;

TEST(Catalogue, RegionsCoverEveryPrefectureOnceInOrder)
{
    int next = 0, total = 0;
    for (int r = 0; r < kRegionCount; ++r) {
        EXPECT_EQ(kRegions[r].first, next) << "region " << r;
        for (int i = kRegions[r].first; i <= kRegions[r].last; ++i)
            EXPECT_EQ(kPrefectures[i].region, r) << kPrefectures[i].name;
        next = kRegions[r].last + 1;
        total += kRegions[r].count();
    }
    EXPECT_EQ(next, kPrefectureCount);
    EXPECT_EQ(total, 47);
}

TEST(Catalogue, BoxesFitInsideTheirFrames)
{
    for (const Prefecture& p : kPrefectures) {
        const TwipsRect& f = kRegions[p.region].frame;
        EXPECT_LE(p.left + p.width, f.width) << p.name;
        EXPECT_LE(p.top + Prefecture::height, f.height) << p.name;
        // Four-character names get the wider box.
        EXPECT_EQ(p.width, p.name.size() == 12 ? 1125 : 915) << p.name;
    }
}

TEST(Catalogue, FindsPrefecturesByNameOrCode)
{
    EXPECT_EQ(findPrefecture("東京都"), 12);
    EXPECT_EQ(findPrefecture("東京"), 12);
    EXPECT_EQ(findPrefecture("13"), 12);
    EXPECT_EQ(findPrefecture("01"), 0);
    EXPECT_EQ(findPrefecture("北海道"), 0);
    EXPECT_EQ(findPrefecture("神奈川"), 13);
    EXPECT_FALSE(findPrefecture("北海"));
    EXPECT_FALSE(findPrefecture("0"));
    EXPECT_FALSE(findPrefecture("48"));
    EXPECT_FALSE(findPrefecture("13a"));
    EXPECT_FALSE(findPrefecture(""));
}
