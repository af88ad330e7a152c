#pragma once
// RENAME, "ﾌｧｲﾙ名の変更", and the rename command behind it: the user picks a
// file in the shared chooser and types its new name (or path).

#include "FileNameDialog.h"

namespace state {
class ProgramState;
}

namespace ui {

class CommonDialog;

// OK's work: the typed text, unchanged, is the new path; an empty one is
// asked for again. Another file of that name is never replaced.
OkOutcome renameTo(const std::filesystem::path& old, const QString& typed);

class RenameDialog : public FileNameDialog
{
    Q_OBJECT
public:
    RenameDialog(const std::filesystem::path& old, UiServices& services, QWidget* parent);
};

// The chooser keeps the filter the last command left: the rename sets none.
void runRenameCommand(state::ProgramState& state, CommonDialog& chooser, UiServices& services,
                      QWidget* parent);

} // namespace ui
