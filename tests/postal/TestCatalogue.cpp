#include "postal/Catalogue.h"

#include <gtest/gtest.h>

using namespace postal;

TEST(Catalogue, FindsPrefecturesByNameOrCode)
{
    const std::pair<const char*, std::optional<int>> cases[] = {
        {"東京都", 12}, {"東京", 12}, {"13", 12},   {"01", 0},   {"47", 46},  {"沖縄", 46},
        {"北海道", 0},  {"神奈川", 13}, {"北海", {}}, {"0", {}}, {"48", {}}, {"13a", {}}, {"", {}}};
    for (const auto& [text, index] : cases)
        EXPECT_EQ(findPrefecture(text), index) << text;
}
