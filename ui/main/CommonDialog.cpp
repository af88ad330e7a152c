#include "CommonDialog.h"

#include <QFileInfo>

namespace ui {

bool CommonDialog::show(QWidget* parent, FileDialogMode mode)
{
    const QString chosen = chooser_.choose(parent, {mode, dialogTitle, initDir, fileName, filter});
    if (chosen.isEmpty())
        return false;
    fileName = chosen;
    fileTitle = QFileInfo(chosen).fileName();
    return true;
}

} // namespace ui
