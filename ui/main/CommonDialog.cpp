#include "CommonDialog.h"

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

} // namespace ui
