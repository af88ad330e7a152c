// The Japanese texts of file failures.

#include "SafeFileWriter.h"

#include <cerrno>
#include <cstring>
#include <string>

namespace platform {

std::string pathText(const std::filesystem::path& path)
{
    // A folder stored with slashes and a name joined with a backslash are
    // shown with the system's separator only (nothing changes on Linux).
    const std::u8string text = std::filesystem::path(path).make_preferred().u8string();
    return std::string(text.begin(), text.end());
}

std::string systemErrorText(int e)
{
    switch (e) {
    case ENOSPC: return "ディスクの空き容量が足りません";
    case EFBIG: return "ファイルの大きさが上限を超えました";
#ifdef EDQUOT
    case EDQUOT: return "ディスクの使用量が上限を超えました";
#endif
    case EACCES:
    case EPERM: return "アクセスが拒否されました";
    case EROFS: return "読み取り専用の場所です";
    case ENOENT: return "ファイルまたはフォルダが存在しません";
    case ENOTDIR: return "フォルダではないものがパスに含まれています";
    case EISDIR: return "同じ名前のフォルダがあります";
    case ENAMETOOLONG: return "名前が長すぎます";
    case ELOOP: return "リンクが多すぎるか循環しています";
    case EIO: return "入出力エラーが発生しました";
    case EMFILE:
    case ENFILE: return "開いているファイルが多すぎます";
    case EBUSY:
    case ETXTBSY: return "ファイルが使用中です";
    case EXDEV: return "別のドライブへは置き換えられません";
    case ENXIO: return "読み出す側のないパイプか、つながっていない装置です";
    case EPIPE: return "書き込む相手が閉じられました";
    case kFileInUse: return "他のプログラムが使用中です";
    default:
        if (e < 0)  // a Windows error code, kept
            return "システムエラー " + std::to_string(-e);
        return std::string("システムエラー ") + std::to_string(e) + ": " + std::strerror(e);
    }
}

std::string WriteError::reason() const
{
    const std::string name = "「" + pathText(target) + "」";
    switch (kind) {
    case Kind::FolderMissing: return "保存先のフォルダ「" + pathText(folder) + "」が存在しません。";
    case Kind::NotAFolder:
        return "保存先のフォルダ「" + pathText(folder) + "」はフォルダではなくファイルです。";
    case Kind::NotAFile: return name + " はファイルではありません（" + systemErrorText(sysError) + "）。";
    case Kind::ReadOnly:
#ifdef _WIN32
        return name + " は読み取り専用のため上書きできません（読み取り専用の属性が付いています）。";
#else
        return name + " は読み取り専用のため上書きできません（所有者に書き込みの許可がありません）。";
#endif
    case Kind::CreateFailed:
        return name + " を作成できません（" + systemErrorText(sysError) + "）。";
    case Kind::WriteFailed:
        return name + " を書き込めません（" + systemErrorText(sysError) + "）。";
    case Kind::ReplaceFailed:
        return name + " を置き換えられません（" + systemErrorText(sysError) + "）。";
    }
    return name + " を保存できません。";
}

} // namespace platform
