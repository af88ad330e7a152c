#pragma once
// Small business-office list lines in the published layout, for tests.
#include <map>
#include <string>
#include <vector>

namespace testlines {

// 13101,"ﾐﾎﾝｼｮｳｼﾞ","見本商事","東京都","見本市","見本町","１－１","1008799","100  ","見本",0,0,0
inline std::string office(const std::string& code, const std::string& postalCode = "1008799")
{
    static const std::map<std::string, std::string> names{
        {"01", "北海道"}, {"13", "東京都"}, {"14", "神奈川県"}, {"47", "沖縄県"}};
    return code + ",\"ﾐﾎﾝｼｮｳｼﾞ\",\"見本商事\",\"" + names.at(code.substr(0, 2)) +
           "\",\"見本市\",\"見本町\",\"１－１\",\"" + postalCode +
           "\",\"100  \",\"見本\",0,0,0\r\n";
}

// The lines of `list` whose prefecture (JIS code - 1) is in `indexes`.
inline std::string linesOf(const std::string& list, const std::vector<int>& indexes)
{
    std::string kept;
    for (std::size_t at = 0; at < list.size();) {
        const std::size_t end = list.find('\n', at) + 1;
        for (int i : indexes)
            if (std::stoi(list.substr(at, 2)) == i + 1)
                kept += list.substr(at, end - at);
        at = end;
    }
    return kept;
}

} // namespace testlines
