// The Japanese texts of load failures.

#include "Catalogue.h"
#include "Export.h"
#include "PostalList.h"

#include <string>

namespace postal {

namespace {

std::string twoDigits(int code) { return {char('0' + code / 10 % 10), char('0' + code % 10)}; }

} // namespace

std::string LoadError::message() const
{
    const std::string at = std::to_string(line) + " 行目";
    const std::string fieldAt = at + "の " + std::to_string(field) + " 番目の項目";
    switch (kind) {
    case Kind::CannotOpen: return "ファイルを開けません（" + systemErrorText(sysError) + "）。";
    case Kind::NotAFile:
        switch (notAFile) {
        case platform::NotAFile::Folder: return "ファイルではなくフォルダです。";
        case platform::NotAFile::Socket: return "ファイルではなくソケットです。";
        case platform::NotAFile::Unplugged: return "ファイルではなく、つながっていない装置です。";
        case platform::NotAFile::Pipe: return "ファイルではなくパイプです。";
        case platform::NotAFile::Device: return "ファイルではなく装置です。";
        }
        break;
    case Kind::ReadFailed: return "ファイルを読み込めません（" + systemErrorText(sysError) + "）。";
    case Kind::TooLarge: return "ファイルが大きすぎます（1 GiB まで読み込めます）。";
    case Kind::Changed: return "読み込み中に一覧が変更されました。もう一度お試し下さい。";
    case Kind::OutOfMemory: return "メモリが不足しています。";
    case Kind::FieldCount:
        return at + "の項目が " + std::to_string(fieldCount) + " 個です（" +
               std::to_string(expected ? expected : kFieldCount) + " 個のはずです）。";
    case Kind::NeitherLayout:
        return at + "の項目が " + std::to_string(fieldCount) +
               " 個です（全国版の一覧なら 15 個、事業所の一覧なら 13 個のはずです）。";
    case Kind::Quoted: return fieldAt + "が引用符 \" で囲まれています（囲まないはずです）。";
    case Kind::NotQuoted: return fieldAt + "が引用符 \" で囲まれていません。";
    case Kind::NotCrLf: return at + "の行末が CR LF ではありません。";
    case Kind::NotDigits: return fieldAt + "が " + std::to_string(expected) + " 桁の数字ではありません。";
    case Kind::BadOldCode:
        return fieldAt + "が旧郵便番号（5 桁の数字、または 3 桁の数字と空白 2 つ）ではありません。";
    case Kind::PrefectureName:
        return fieldAt + "が JIS コード " + twoDigits(jisCode) + " の都道府県名「" +
               std::string(kPrefectures[static_cast<std::size_t>(jisCode - 1)].name) + "」ではありません。";
    case Kind::OutOfOrder:
        return at + "で都道府県の順が乱れています（JIS コード " + twoDigits(expected) + " の後に " +
               twoDigits(jisCode) + "）。";
    case Kind::UnclosedQuote: return fieldAt + "の引用符 \" が閉じていません。";
    case Kind::QuoteInField: return fieldAt + "に余分な引用符 \" があります。";
    case Kind::NulByte: return at + "に NUL 文字があります。";
    case Kind::CutShort: return at + "（最後の行）が途中で切れています。";
    case Kind::ByteOrderMark:
        return "1 行目の先頭に UTF-8 の BOM（バイト順マーク）があります。"
               "BOM のない一覧（日本郵便が公開している形のまま）を使って下さい。";
    case Kind::BadCode:
        return at + "の 1 番目の項目が 01～47 で始まる地方公共団体コードではありません。";
    }
    return at + "が壊れています。";
}

} // namespace postal
