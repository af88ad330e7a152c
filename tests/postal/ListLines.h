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

} // namespace testlines
