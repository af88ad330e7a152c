#include "CommonDialog.h"

#include "state/ProgramState.h"
#include "ui/common/PathText.h"

#include <QFileInfo>

namespace ui {

bool CommonDialog::show(QWidget* parent, FileDialogMode mode)
{
    const QString chosen = chooser_.choose(parent, {mode, title_, initDir_, fileName_, filter_});
    if (chosen.isEmpty())
        return false;
    fileName_ = chosen;
    fileTitle_ = QFileInfo(chosen).fileName();
    return true;
}

std::filesystem::path chooseSelectedFile(state::ProgramState& state, CommonDialog& chooser,
                                         FileDialogMode mode, const QString& title,
                                         const std::optional<QString>& filter, QWidget* parent)
{
    chooser.setInitDir(fromPath(state.programFolder()));
    chooser.setFileName({});
    chooser.setTitle(title);
    if (filter)
        chooser.setFilter(*filter);
    if (mode == FileDialogMode::Save)
        chooser.showSave(parent);
    else
        chooser.showOpen(parent);
    state.setSelectedFile(toPath(chooser.fileName()));
    return state.selectedFile();
}

} // namespace ui
