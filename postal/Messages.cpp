// The Japanese texts of load failures.

#include "Export.h"
#include "PostalList.h"

#include <string>

namespace postal {

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
        return at + "の項目が " + std::to_string(fieldCount) + " 個です（15 個のはずです）。";
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
