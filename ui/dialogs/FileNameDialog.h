#pragma once
// The layout FILESCOPY and RENAME share: the instruction, the chosen file's
// name, a text box for the new name, and OK / キャンセル / ヘルプ.

#include "FixedDialog.h"

#include "ui/common/MessageBoxes.h"

#include <QString>
#include <filesystem>
#include <functional>

class QLabel;
class QLineEdit;

namespace ui {

class Help;
struct UiServices;

// What OK leads to: the message to show, then whether the dialog closes or
// stays open with the focus put back into the text box.
struct OkOutcome
{
    MessageRequest message;
    bool close = false;
    bool focusText = false;
};

struct FileNameDialogTexts
{
    QString objectName;      // "FILESCOPY"
    QString caption;         // "ファイルのコピー"
    QString instruction;     // Label1
    QString nameCaption;     // "コピー元"
    QString nameCaptionTip;
    QString nameDisplayName; // objectName of the bordered name display
    QString nameCaptionName; // objectName of its caption
    QString nameTip;
    QString textCaption;     // "コピー先", Label4
    QString textCaptionTip;
    QString textTip;         // Text1
    int helpContext = 0;
};

class FileNameDialog : public FixedDialog
{
    Q_OBJECT
public:
    using OkAction = std::function<OkOutcome(const QString& typed)>;

    FileNameDialog(const FileNameDialogTexts& texts, const QString& fileName, OkAction ok,
                   UiServices& services, QWidget* parent);

    QLabel* instruction() const { return instruction_; }
    QLabel* nameCaption() const { return nameCaption_; }
    QLabel* nameDisplay() const { return nameDisplay_; }
    QLabel* textCaption() const { return textCaption_; }
    QLineEdit* nameEdit() const { return text_; }

    void pressButton(int index);

private:
    OkAction ok_;
    UiServices& services_;
    int helpContext_;
    QLabel* instruction_ = nullptr;
    QLabel* nameCaption_ = nullptr;
    QLabel* nameDisplay_ = nullptr;
    QLabel* textCaption_ = nullptr;
    QLineEdit* text_ = nullptr;
};

} // namespace ui
