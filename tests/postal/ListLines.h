#pragma once
// Small list lines in the published layout, for tests.
#include <string>

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

} // namespace testlines
