#include "RenameDialog.h"

#include "FileErrorText.h"
#include "ui/common/Help.h"
#include "ui/common/PathText.h"
#include "ui/common/UiServices.h"
#include "ui/main/CommonDialog.h"

#include "platform/FileOperations.h"
#include "state/ProgramState.h"

namespace ui {

namespace {

const QString kTitle = QStringLiteral("変更確認");

FileNameDialogTexts renameTexts()
{
    FileNameDialogTexts t;
    t.objectName = QStringLiteral("RENAME");
    t.caption = QStringLiteral("ﾌｧｲﾙ名の変更");
    t.instruction = QStringLiteral("新しいﾌｧｲﾙ名を入力して、OKﾎﾞﾀﾝを押して下さい。");
    t.nameCaption = QStringLiteral("元の名前");
    t.nameCaptionName = QStringLiteral("Label3");
    t.nameCaptionTip = QStringLiteral(" 元の名前 ");
    t.nameDisplayName = QStringLiteral("Label2");
    t.nameTip = QStringLiteral(" 元の名前 ");
    t.textCaption = QStringLiteral("新しい名前");
    t.textCaptionTip = QStringLiteral(" 新しい名前 ");
    t.textTip = QStringLiteral(" 新しい名前 ");
    t.helpContext = kHelpFileRename;
    return t;
}

} // namespace

OkOutcome renameTo(const std::filesystem::path& old, const QString& typed)
{
    if (typed.isEmpty()) // unlike the copy, the focus goes back into the box
        return {{QStringLiteral("新しい名前が入力されていません。　"), QStringLiteral("入力確認"),
                 MessageIcon::Information, MessageButtons::Ok, MessageAnswer::Ok},
                false, true};
    if (const auto error = platform::renameFile(old, toPath(typed)))
        return {{fileErrorText(QStringLiteral("ﾌｧｲﾙ名を変更できませんでした。"), *error,
                               FileCommand::Rename),
                 kTitle, MessageIcon::Warning, MessageButtons::Ok, MessageAnswer::Ok},
                false, true};
    return {{QStringLiteral("ﾌｧｲﾙ名を変更しました。　"), kTitle, MessageIcon::Information,
             MessageButtons::Ok, MessageAnswer::Ok},
            true, false};
}

RenameDialog::RenameDialog(const std::filesystem::path& old, UiServices& services,
                           QWidget* parent)
    : FileNameDialog(renameTexts(), fromPath(old.filename()),
                     [old](const QString& typed) { return renameTo(old, typed); }, services,
                     parent)
{
}

void runRenameCommand(state::ProgramState& state, CommonDialog& chooser, UiServices& services,
                      QWidget* parent)
{
    if (chooseSelectedFile(state, chooser, FileDialogMode::Open, QStringLiteral("名前を変更するﾌｧｲﾙを選択"),
                           std::nullopt, parent)
            .empty())
        return;
    RenameDialog dialog(state.selectedFile(), services, parent);
    dialog.exec();
}

} // namespace ui
