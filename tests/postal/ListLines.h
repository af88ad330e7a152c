#pragma once
// Small list lines in the published layout, for tests.
#include <map>
#include <string>
#include <vector>

namespace testlines {

// 01101,"060  ","0600000","ﾎｯｶｲﾄﾞｳ","ｻｯﾎﾟﾛｼ","ｲｶﾆ","北海道","札幌市","以下に",0,0,0,0,0,0 CR LF
inline std::string line(const std::string& code, const std::string& town = "見本町",
                        const std::string& prefecture = "見本県", const std::string& end = "\r\n")
{
    return code + ",\"060  \",\"0600000\",\"ﾐﾎﾝｹﾝ\",\"ﾐﾎﾝｼ\",\"ﾐﾎﾝﾁｮｳ\",\"" + prefecture +
           "\",\"見本市\",\"" + town + "\",0,0,0,0,0,0" + end;
}

// A line of the business-office list:
// 13101,"ﾐﾎﾝ","見本株式会社","東京都","千代田区","見本町","１－１","1000001","100  ","銀座",0,0,0 CR LF
inline std::string office(const std::string& code, const std::string& prefecture)
{
    return code + ",\"ﾐﾎﾝ\",\"見本株式会社\",\"" + prefecture +
           "\",\"千代田区\",\"見本町\",\"１－１\",\"1000001\",\"100  \",\"銀座\",0,0,0\r\n";
}

// `text` with the first `from` replaced by `to`.
inline std::string with(std::string text, const std::string& from, const std::string& to)
{
    return text.replace(text.find(from), from.size(), to);
}

// A business-office line of `code`'s prefecture (01, 13, 14 or 47).
// 13101,"ﾐﾎﾝｼｮｳｼﾞ","見本商事","東京都","見本市","見本町","１－１","1008799","100  ","見本",0,0,0
inline std::string officeLine(const std::string& code, const std::string& postalCode = "1008799")
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
