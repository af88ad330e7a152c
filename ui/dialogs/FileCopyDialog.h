#pragma once
// FILESCOPY, "ファイルのコピー", and the copy command behind it: the user
// picks a list file in the shared chooser and types where the copy goes.

#include "FileNameDialog.h"

namespace state {
class ProgramState;
}

namespace ui {

class CommonDialog;

// OK's work: the typed text, unchanged, names the target; an empty one is
// asked for again. The copy never lands on its own source.
OkOutcome copyTo(const std::filesystem::path& source, const QString& typed);

class FileCopyDialog : public FileNameDialog
{
    Q_OBJECT
public:
    FileCopyDialog(const std::filesystem::path& source, UiServices& services, QWidget* parent);
};

void runCopyCommand(state::ProgramState& state, CommonDialog& chooser, UiServices& services,
                    QWidget* parent);

} // namespace ui
