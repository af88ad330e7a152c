#include "DeleteCommand.h"

#include "FileErrorText.h"
#include "ui/common/PathText.h"
#include "ui/common/UiServices.h"
#include "ui/main/CommonDialog.h"

#include "platform/FileOperations.h"
#include "state/ProgramState.h"

namespace ui {

void runDeleteCommand(state::ProgramState& state, CommonDialog& chooser, UiServices& services,
                      QWidget* parent)
{
    if (chooseSelectedFile(state, chooser, FileDialogMode::Open, QStringLiteral("削除するﾌｧｲﾙを選択"),
                           QStringLiteral("(*.csv)|*.csv|"), parent)
            .empty())
        return;

    // Enter confirms: OK is the default.
    if (!services.messages.confirm(parent, QStringLiteral("指定されたﾌｧｲﾙを削除しますか？　"),
                                   QStringLiteral("削除確認")))
        return;
    if (const auto error = platform::deleteFile(state.selectedFile())) {
        services.messages.warn(
            parent,
            fileErrorText(QStringLiteral("指定されたﾌｧｲﾙを削除できませんでした。"), *error,
                          FileCommand::Delete),
            QStringLiteral("削除確認"));
        return;
    }
    services.messages.inform(parent, QStringLiteral("指定されたﾌｧｲﾙを削除しました。　"),
                             QStringLiteral("削除情報"));
}

} // namespace ui
