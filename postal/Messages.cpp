// The Japanese texts of load and write failures.

#include "Export.h"
#include "PostalList.h"

#include <cerrno>
#include <cstring>
#include <string>

namespace postal {

std::string systemErrorText(int e)
{
    switch (e) {
    case ENOSPC: return "ディスクの空き容量が足りません";
    case EFBIG: return "ファイルの大きさが上限を超えました";
    case EDQUOT: return "ディスクの使用量が上限を超えました";
    case EACCES:
    case EPERM: return "アクセスが拒否されました";
    case EROFS: return "読み取り専用の場所です";
    case ENOENT: return "ファイルまたはフォルダが存在しません";
    case ENOTDIR: return "フォルダではないものがパスに含まれています";
    case EISDIR: return "同じ名前のフォルダがあります";
    case ENAMETOOLONG: return "名前が長すぎます";
    case EIO: return "入出力エラーが発生しました";
    case EMFILE:
    case ENFILE: return "開いているファイルが多すぎます";
    case EBUSY:
    case ETXTBSY: return "ファイルが使用中です";
    case EXDEV: return "別のドライブへは置き換えられません";
    default: return std::string("システムエラー ") + std::to_string(e) + ": " + std::strerror(e);
    }
}

std::string LoadError::message() const
{
    const std::string at = std::to_string(line) + " 行目";
    const std::string fieldAt = at + "の " + std::to_string(field) + " 番目の項目";
    switch (kind) {
    case Kind::CannotOpen: return "ファイルを開けません（" + systemErrorText(sysError) + "）。";
    case Kind::ReadFailed: return "ファイルを読み込めません（" + systemErrorText(sysError) + "）。";
    case Kind::TooLarge: return "ファイルが大きすぎます。";
    case Kind::FieldCount:
        return at + "の項目が " + std::to_string(fieldCount) + " 個です（15 個のはずです）。";
    case Kind::UnclosedQuote: return fieldAt + "の引用符 \" が閉じていません。";
    case Kind::QuoteInField: return fieldAt + "に余分な引用符 \" があります。";
    case Kind::NulByte: return at + "に NUL 文字があります。";
    case Kind::CutShort: return at + "（最後の行）が途中で切れています。";
    case Kind::BadCode:
        return at + "の 1 番目の項目が 01～47 で始まる地方公共団体コードではありません。";
    }
    return at + "が壊れています。";
}

std::string WriteError::reason() const
{
    const std::string name = "「" + target.string() + "」";
    switch (kind) {
    case Kind::FolderMissing:
        return "保存先のフォルダ「" + target.parent_path().string() + "」が存在しません。";
    case Kind::NotAFile: return name + " はファイルではありません（" + systemErrorText(sysError) + "）。";
    case Kind::CreateFailed:
        return name + " を作成できません（" + systemErrorText(sysError) + "）。";
    case Kind::WriteFailed:
        return name + " を書き込めません（" + systemErrorText(sysError) + "）。";
    case Kind::ReplaceFailed:
        return name + " を置き換えられません（" + systemErrorText(sysError) + "）。";
    }
    return name + " を保存できません。";
}

} // namespace postal
