#include "FileErrorText.h"

#include "ui/common/PathText.h"

#include "postal/Export.h"

#include <cerrno>

namespace ui {

namespace {

QString systemText(int sysError)
{
    if (sysError == ENXIO)
        return QStringLiteral("読み出す側のないパイプか、つながっていない装置です");
    return QString::fromStdString(postal::systemErrorText(sysError));
}

QString quoted(const std::filesystem::path& path)
{
    return QStringLiteral("「") + fromPath(path) + QStringLiteral("」");
}

} // namespace

QString fileErrorReason(const platform::FileError& error, FileCommand command)
{
    using Kind = platform::FileError::Kind;
    const QString name = quoted(error.path);
    const QString why = QStringLiteral("（") + systemText(error.sysError) + QStringLiteral("）");
    switch (error.kind) {
    case Kind::InvalidName:
        return QStringLiteral("名前に使えない文字が含まれています。");
    case Kind::SourceMissing:
        if (error.sysError == ENOENT)
            return name + QStringLiteral("が見つかりません。");
        return name + QStringLiteral("を開けません") + why + QStringLiteral("。");
    case Kind::SourceNotAFile:
        return name + QStringLiteral("はファイルではありません。");
    case Kind::SameFile:
        return QStringLiteral("コピー先の") + name + QStringLiteral("は、コピー元のファイルそのものです。");
    case Kind::TargetExists:
        return name + QStringLiteral("という名前のファイルまたはフォルダが既にあります。");
    case Kind::TargetNotAFile:
        return name + QStringLiteral("はフォルダです。");
    case Kind::TargetReadOnly:
        return name + QStringLiteral("は書き込みが禁止されたファイルです。");
    case Kind::FolderMissing: {
        if (error.sysError == ENOTDIR)
            return name + QStringLiteral("の途中に、フォルダではないものが含まれています。");
        std::filesystem::path folder = error.path.parent_path();
        if (folder.empty())
            folder = ".";
        return QStringLiteral("フォルダ") + quoted(folder) + QStringLiteral("がありません。");
    }
    case Kind::ReadFailed:
        return name + QStringLiteral("を読み込めません") + why + QStringLiteral("。");
    case Kind::CreateFailed:
        return name + QStringLiteral("を作成できません") + why + QStringLiteral("。");
    case Kind::WriteFailed:
        return name + QStringLiteral("を書き込めません") + why + QStringLiteral("。");
    case Kind::ReplaceFailed:
        if (command == FileCommand::Rename)
            return name + QStringLiteral("という名前にできません") + why + QStringLiteral("。");
        return name + QStringLiteral("を置き換えられません") + why + QStringLiteral("。");
    case Kind::VerifyFailed:
        return name + QStringLiteral("へのコピーが元のファイルと一致しません。");
    case Kind::RemoveFailed:
        return name + QStringLiteral("を削除できません") + why + QStringLiteral("。");
    }
    return name + QStringLiteral("を扱えません。");
}

QString fileErrorText(const QString& whatFailed, const platform::FileError& error,
                      FileCommand command)
{
    return whatFailed + QStringLiteral("　\n\n") + fileErrorReason(error, command) +
           QStringLiteral("　");
}

} // namespace ui
