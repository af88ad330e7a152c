#include "ZipList.h"

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <system_error>

namespace platform {

namespace {

// The business-office list (jigyosyo.zip) is read by the same readers.
constexpr std::string_view kListNames[] = {"ken_all.csv", "utf_ken_all.csv", "jigyosyo.csv"};

std::string utf8(const std::filesystem::path& path)
{
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

bool sameIgnoringAsciiCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
               return lower(x) == lower(y);
           });
}

std::string_view lastPart(std::string_view name)
{
    const std::size_t slash = name.find_last_of("/\\");
    return slash == std::string_view::npos ? name : name.substr(slash + 1);
}

// Entry names are usually ASCII or UTF-8; one in another code page is shown
// by its last part only, which is ASCII for a list.
bool isUtf8(std::string_view s)
{
    std::size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        const std::size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        if (n == 0 || i + n > s.size())
            return false;
        for (std::size_t k = 1; k < n; ++k)
            if ((static_cast<unsigned char>(s[i + k]) >> 6) != 2)
                return false;
        i += n;
    }
    return true;
}

std::string systemText(int e)
{
    switch (e) {
    case ENOENT: return "ファイルが存在しません";
    case EISDIR: return "フォルダです";
    case ESPIPE: return "通常のファイルではありません";
    case EACCES:
    case EPERM: return "アクセスが拒否されました";
    case EIO: return "入出力エラーが発生しました";
    case ENOMEM: return "メモリが不足しています";
    case 0: return "原因は不明です";
    default: return "システムエラー " + std::to_string(e);
    }
}

} // namespace

bool isListEntryName(std::string_view name)
{
    const std::string_view last = lastPart(name);
    return std::any_of(std::begin(kListNames), std::end(kListNames),
                       [&](std::string_view list) { return sameIgnoringAsciiCase(last, list); });
}

std::string shownEntryName(std::string_view name)
{
    return std::string(isUtf8(name) ? name : lastPart(name));
}

bool looksLikeZip(const std::filesystem::path& path)
{
    const std::string ext = utf8(path.extension());
    if (sameIgnoringAsciiCase(ext, ".zip"))
        return true;
    // Only a plain file is peeked at: bytes taken from a pipe would be lost
    // to the list reader.
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec))
        return false;
    std::ifstream in(path, std::ios::binary);
    char magic[4] = {};
    return in.read(magic, 4) && magic[0] == 'P' && magic[1] == 'K' && magic[2] == 3 && magic[3] == 4;
}

std::string ZipError::message() const
{
    const std::string zip = "zip 書庫「" + utf8(archive.filename()) + "」";
    const std::string list = zip + "の「" + entry + "」";
    switch (kind) {
    case Kind::CannotOpen: return zip + "を開けません（" + systemText(sysError) + "）。";
    case Kind::NotAZip: return "「" + utf8(archive.filename()) + "」は zip 書庫ではありません。";
    case Kind::Damaged:
        return (entry.empty() ? zip : list) + "が壊れているか、途中で切れています。";
    case Kind::CrcMismatch: return list + "が壊れています（CRC が一致しません）。";
    case Kind::NoList:
        return zip + "に一覧 " +
               (sameIgnoringAsciiCase(utf8(archive.filename()), "jigyosyo.zip") ? "JIGYOSYO.CSV" : "KEN_ALL.CSV") +
               " がありません。";
    case Kind::TwoLists:
        return zip + "に一覧が 2 つあります（「" + entry + "」と「" + otherEntry + "」）。どちらを読むか決められません。";
    case Kind::Encrypted: return list + "は暗号化されているため読めません。";
    case Kind::TooLarge:
        return list + "は " + std::to_string(size) + " バイトあり、一覧の上限（1 GiB）を超えています。";
    case Kind::LargerThanDeclared:
        return list + "は書庫に記録された大きさ（" + std::to_string(size) +
               " バイト）を超えて展開されます。書庫が壊れています。";
    case Kind::Unsupported:
        return list + "は対応していない圧縮方式（" + std::to_string(method) + " 番）で圧縮されています。";
    case Kind::Changed: return zip + "が読み込み中に変更されました。もう一度お試し下さい。";
    case Kind::ReaderMissing:
        return zip + "を読む部品を読み込めません（" + detail + "）。インストールし直して下さい。";
    }
    return zip + "を読めません。";
}

} // namespace platform
