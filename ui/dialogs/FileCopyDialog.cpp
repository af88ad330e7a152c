#include "FileCopyDialog.h"

#include "FileErrorText.h"
#include "ui/common/Help.h"
#include "ui/common/PathText.h"
#include "ui/common/UiServices.h"
#include "ui/main/CommonDialog.h"

#include "platform/FileOperations.h"
#include "state/ProgramState.h"

namespace ui {

namespace {

const QString kTitle = QStringLiteral("複写確認");

FileNameDialogTexts copyTexts()
{
    FileNameDialogTexts t;
    t.objectName = QStringLiteral("FILESCOPY");
    t.caption = QStringLiteral("ファイルのコピー");
    t.instruction = QStringLiteral("ｺﾋﾟｰ先のﾌｧｲﾙ名を入力して、OKﾎﾞﾀﾝを押して下さい。");
    t.nameCaption = QStringLiteral("コピー元");
    t.nameCaptionName = QStringLiteral("Label2");
    t.nameCaptionTip = QStringLiteral(" コピー元 ");
    t.nameDisplayName = QStringLiteral("Label3");
    t.nameTip = QStringLiteral(" ｺﾋﾟｰ元 ");
    t.textCaption = QStringLiteral("コピー先");
    t.textCaptionTip = QStringLiteral(" コピー先 ");
    t.textTip = QStringLiteral(" ｺﾋﾟｰ先 ");
    t.helpContext = kHelpFileCopy;
    return t;
}

} // namespace

OkOutcome copyTo(const std::filesystem::path& source, const QString& typed)
{
    if (typed.isEmpty()) // the focus stays where it is
        return {{QStringLiteral("コピー先が入力されていません。　"), QStringLiteral("入力確認"),
                 MessageIcon::Information, MessageButtons::Ok, MessageAnswer::Ok},
                false, false};
    if (const auto error = platform::copyFile(source, toPath(typed)))
        return {{fileErrorText(QStringLiteral("ファイルをコピーできませんでした。"), *error,
                               FileCommand::Copy),
                 kTitle, MessageIcon::Warning, MessageButtons::Ok, MessageAnswer::Ok},
                false, true};
    return {{QStringLiteral("ファイルをコピーしました。　"), kTitle, MessageIcon::Information,
             MessageButtons::Ok, MessageAnswer::Ok},
            true, false};
}

FileCopyDialog::FileCopyDialog(const std::filesystem::path& source, UiServices& services,
                               QWidget* parent)
    : FileNameDialog(copyTexts(), fromPath(source.filename()),
                     [source](const QString& typed) { return copyTo(source, typed); }, services,
                     parent)
{
}

void runCopyCommand(state::ProgramState& state, CommonDialog& chooser, UiServices& services,
                    QWidget* parent)
{
    if (chooseSelectedFile(state, chooser, FileDialogMode::Open, QStringLiteral("ｺﾋﾟｰするﾌｧｲﾙを選択"),
                           QStringLiteral("(*.csv)|*.csv|"), parent)
            .empty())
        return;
    FileCopyDialog dialog(state.selectedFile(), services, parent);
    dialog.exec();
}

} // namespace ui
