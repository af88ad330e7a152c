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
    const std::pair<const char*, std::optional<int>> cases[] = {
        {"東京都", 12}, {"東京", 12}, {"13", 12},   {"01", 0},   {"47", 46},  {"沖縄", 46},
        {"北海道", 0},  {"神奈川", 13}, {"北海", {}}, {"0", {}}, {"48", {}}, {"13a", {}}, {"", {}}};
    for (const auto& [text, index] : cases)
        EXPECT_EQ(findPrefecture(text), index) << text;
}
