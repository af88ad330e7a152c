#include "Catalogue.h"

#include <charconv>

namespace postal {

const std::array<Region, kRegionCount> kRegions = {{
    {"北海道地方", 0, 0, {255, 255, 255}, {150, 630, 1335, 675}},
    {"東北地方", 1, 6, {255, 192, 255}, {9450, 630, 2295, 1695}},
    {"関東地方", 7, 13, {192, 255, 255}, {8430, 2430, 3315, 1695}},
    {"中部地方", 14, 22, {255, 224, 192}, {7500, 4230, 4245, 1365}},
    {"近畿地方", 23, 29, {192, 255, 192}, {3600, 4230, 3705, 1365}},
    {"中国地方", 30, 34, {255, 255, 192}, {150, 4560, 3255, 1035}},
    {"四国地方", 35, 38, {255, 192, 192}, {3600, 5700, 2295, 1365}},
    {"九州地方", 39, 46, {255, 192, 128}, {150, 5700, 3255, 2025}},
}};

const std::array<Prefecture, kPrefectureCount> kPrefectures = {{
    {"北海道", 0, 210, 300, 915},    {"青森県", 1, 720, 300, 915},
    {"岩手県", 1, 1230, 630, 915},   {"宮城県", 1, 1230, 960, 915},
    {"秋田県", 1, 210, 630, 915},    {"山形県", 1, 210, 960, 915},
    {"福島県", 1, 720, 1290, 915},   {"茨城県", 2, 2250, 300, 915},
    {"栃木県", 2, 1230, 300, 915},   {"群馬県", 2, 210, 300, 915},
    {"埼玉県", 2, 720, 630, 915},    {"千葉県", 2, 2250, 630, 915},
    {"東京都", 2, 720, 960, 915},    {"神奈川県", 2, 720, 1290, 1125},
    {"新潟県", 3, 2640, 300, 915},   {"富山県", 3, 1680, 300, 915},
    {"石川県", 3, 750, 300, 915},    {"福井県", 3, 210, 630, 915},
    {"山梨県", 3, 3180, 780, 915},   {"長野県", 3, 2190, 630, 915},
    {"岐阜県", 3, 1200, 630, 915},   {"静岡県", 3, 2190, 960, 915},
    {"愛知県", 3, 1200, 960, 915},   {"三重県", 4, 2640, 630, 915},
    {"滋賀県", 4, 2190, 300, 915},   {"京都府", 4, 1200, 300, 915},
    {"大阪府", 4, 720, 630, 915},    {"兵庫県", 4, 210, 300, 915},
    {"奈良県", 4, 1680, 630, 915},   {"和歌山県", 4, 720, 960, 1125},
    {"鳥取県", 5, 2190, 300, 915},   {"島根県", 5, 1200, 300, 915},
    {"岡山県", 5, 2190, 630, 915},   {"広島県", 5, 1200, 630, 915},
    {"山口県", 5, 210, 630, 915},    {"徳島県", 6, 1230, 630, 915},
    {"香川県", 6, 1230, 300, 915},   {"愛媛県", 6, 210, 630, 915},
    {"高知県", 6, 720, 960, 915},    {"福岡県", 7, 1740, 300, 915},
    {"佐賀県", 7, 720, 300, 915},    {"長崎県", 7, 210, 630, 915},
    {"熊本県", 7, 1200, 780, 915},   {"大分県", 7, 2190, 630, 915},
    {"宮崎県", 7, 2190, 960, 915},   {"鹿児島県", 7, 1200, 1290, 1125},
    {"沖縄県", 7, 210, 1620, 915},
}};

std::string framedName(std::string_view name)
{
    std::string s;
    s.reserve(name.size() + 2);
    s += ' ';
    s += name;
    s += ' ';
    return s;
}

std::string prefectureTooltip(int index) { return framedName(kPrefectures.at(index).name); }
std::string regionCaption(int region) { return framedName(kRegions.at(region).name); }

int regionOf(int prefectureIndex)
{
    for (int r = 0; r < kRegionCount; ++r) {
        if (prefectureIndex >= kRegions[r].first && prefectureIndex <= kRegions[r].last)
            return r;
    }
    return -1;
}

std::optional<int> findPrefecture(std::string_view text)
{
    if (text.empty())
        return std::nullopt;
    int code = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), code);
    if (ec == std::errc() && end == text.data() + text.size()) {
        if (code >= 1 && code <= kPrefectureCount)
            return code - 1;
        return std::nullopt;
    }
    for (int i = 0; i < kPrefectureCount; ++i) {
        std::string_view name = kPrefectures[i].name;
        if (name == text)
            return i;
        // "東京" for "東京都": the suffix is one three-byte UTF-8 character.
        // 北海道 is never shortened: its 道 is part of the name people use.
        if (i != 0 && name.size() == text.size() + 3 && name.substr(0, text.size()) == text)
            return i;
    }
    return std::nullopt;
}

} // namespace postal
