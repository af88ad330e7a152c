#pragma once
// The 47 prefectures and 8 regions: names, regions, colours and layout in twips.
// Prefecture index 0-46 is the JIS prefecture code minus 1.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace postal {

inline constexpr int kPrefectureCount = 47;
inline constexpr int kRegionCount = 8;

struct Rgb
{
    std::uint8_t r, g, b;
};

struct TwipsRect
{
    int left, top, width, height;
};

struct Region
{
    std::string_view name;  // "北海道地方" (as in the region dialog)
    int first;              // first prefecture index
    int last;               // last prefecture index
    Rgb colour;             // text colour of the frame and its boxes
    TwipsRect frame;        // on the main window's client area
    int count() const { return last - first + 1; }
};

struct Prefecture
{
    std::string_view name;  // "東京都"
    int region;
    int left, top;          // inside its region's frame
    int width;              // 915, or 1125 for four-character names
    static constexpr int height = 195;
};

extern const std::array<Region, kRegionCount> kRegions;
extern const std::array<Prefecture, kPrefectureCount> kPrefectures;

// " 東京都 " / " 関東地方 ": captions and tooltips are framed by one half-width space.
std::string framedName(std::string_view name);
std::string prefectureTooltip(int index);
std::string regionCaption(int region);

inline int jisCode(int prefectureIndex) { return prefectureIndex + 1; }
int regionOf(int prefectureIndex);

// "東京都", "13", "1", "01" -> index 12. Also accepts a name without its
// 都/道/府/県 suffix ("東京", "大阪"). Empty when nothing matches.
std::optional<int> findPrefecture(std::string_view nameOrCode);

} // namespace postal
