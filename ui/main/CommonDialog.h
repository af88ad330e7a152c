#pragma once
// The main window's one file chooser, shared by the export and the file
// commands. What one command sets (folder, file name, title, filter) stays
// set for the next; the rename command relies on the filter it finds.

#include "ui/common/FileChooser.h"

#include <filesystem>
#include <optional>

#include <QString>

class QWidget;

namespace state {
class ProgramState;
}

namespace ui {

class CommonDialog
{
public:
    explicit CommonDialog(FileChooser& chooser) : chooser_(chooser) {}

    const QString& initDir() const { return initDir_; }
    void setInitDir(const QString& folder) { initDir_ = folder; }
    // The full path after a choice; unchanged after a cancel.
    const QString& fileName() const { return fileName_; }
    void setFileName(const QString& path) { fileName_ = path; }
    // The chosen file's name without its folder.
    const QString& fileTitle() const { return fileTitle_; }
    const QString& title() const { return title_; }
    void setTitle(const QString& title) { title_ = title; }
    // "description|pattern|description|pattern"
    const QString& filter() const { return filter_; }
    void setFilter(const QString& filter) { filter_ = filter; }

    // True when the user chose a file.
    bool showOpen(QWidget* parent) { return show(parent, FileDialogMode::Open); }
    bool showSave(QWidget* parent) { return show(parent, FileDialogMode::Save); }

private:
    bool show(QWidget* parent, FileDialogMode mode);

    FileChooser& chooser_;
    QString initDir_;
    QString fileName_;
    QString fileTitle_;
    QString title_;
    QString filter_ = QStringLiteral("郵便番号一覧ﾌｧｲﾙ(*.CSV)|*.CSV|すべてのﾌｧｲﾙ(*.*)|*.*");
};

// What the export and the file commands do with the chooser: the program's
// folder, no file name, `title`, and `filter` unless none is given (the
// rename finds what the last command left); then the answer becomes the
// program's selected file, empty after a cancel, and is returned.
std::filesystem::path chooseSelectedFile(state::ProgramState& state, CommonDialog& chooser,
                                         FileDialogMode mode, const QString& title,
                                         const std::optional<QString>& filter, QWidget* parent);

} // namespace ui
