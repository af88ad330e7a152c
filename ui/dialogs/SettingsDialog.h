#pragma once
// The settings dialog SETTEI "各種設定": the options tab, the list folder tab
// and the row of buttons. It stacks the tabs and forwards the buttons; what
// is read and written lives in SettingsApply.

#include "state/ProgramState.h"
#include "ui/common/UiServices.h"

#include <QDialog>
#include <array>
#include <functional>

class QPushButton;
class QTabWidget;

namespace ui {

class FolderTab;
class OptionsTab;

class SettingsDialog : public QDialog
{
    Q_OBJECT
public:
    // `mainWindow` is moved when centring is applied.
    SettingsDialog(state::ProgramState& state, UiServices& services, QWidget* mainWindow);

    // Opens the dialog modally over the main window; returns once it closed.
    // `folderChanged` runs, over the dialog, each time OK or 適用 changes the folder.
    static void run(state::ProgramState& state, UiServices& services, QWidget* mainWindow,
                    const std::function<void(QWidget*)>& folderChanged = {});

    QTabWidget* tabs() const { return tabs_; }
    OptionsTab* optionsTab() const { return options_; }
    FolderTab* folderTab() const { return folder_; }
    QPushButton* button(int index) const { return buttons_.at(index); }

signals:
    // OK or 適用 stored a FolderName other than the one stored before.
    void folderNameChanged();

public slots:
    // The four buttons from the left: OK, キャンセル, 適用, ヘルプ.
    void clickButton(int index);
    void openPostalCodePage();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void saveOptions();
    void saveFolder();

    state::ProgramState& state_;
    UiServices& services_;
    QWidget* mainWindow_;
    QTabWidget* tabs_ = nullptr;
    OptionsTab* options_ = nullptr;
    FolderTab* folder_ = nullptr;
    std::array<QPushButton*, 4> buttons_{};
};

} // namespace ui
