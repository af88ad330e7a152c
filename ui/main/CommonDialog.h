#pragma once
// The main window's one file chooser, shared by the export and the file
// commands. What one command sets (folder, file name, title, filter) stays
// set for the next; the rename command relies on the filter it finds.

#include "ui/common/FileChooser.h"

#include <QString>

class QWidget;

namespace ui {

class CommonDialog
{
public:
    explicit CommonDialog(FileChooser& chooser) : chooser_(chooser) {}

    QString initDir;
    QString fileName;  // full path after a choice; unchanged after a cancel
    QString fileTitle; // the chosen file's name without its folder
    QString dialogTitle;
    QString filter = QStringLiteral("郵便番号一覧ﾌｧｲﾙ(*.CSV)|*.CSV|すべてのﾌｧｲﾙ(*.*)|*.*");

    // True when the user chose a file.
    bool showOpen(QWidget* parent) { return show(parent, FileDialogMode::Open); }
    bool showSave(QWidget* parent) { return show(parent, FileDialogMode::Save); }

private:
    bool show(QWidget* parent, FileDialogMode mode);
    FileChooser& chooser_;
};

} // namespace ui
