#pragma once
// The main window DOZUZEZO: the 47 prefecture boxes in their region frames,
// the menus, the toolbar and the status bar. It lays out its controls and
// forwards events to the handlers below; decisions live in plain functions.

#include "CommonDialog.h"
#include "MainWindowSettings.h"
#include "ui/common/Twips.h"
#include "ui/common/UiServices.h"

#include <QMainWindow>

class QCheckBox;
class QGroupBox;
class QSessionManager;
class QTimer;
class QToolBar;

namespace ui {

class PrefectureMap;
class StatusBar;

class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    // Why the window is asked to close.
    enum class CloseReason
    {
        User = 0,       // close box or system menu
        Program = 1,    // the program's own code
        SessionEnd = 2, // log-off or shut-down
        TaskManager = 3,
    };

    // The client area, in twips: what a 12000 x 9000 window leaves inside a
    // typical border, caption and menu bar.
    static constexpr int kClientWidthTwips = 11880;
    static constexpr int kClientHeightTwips = 8190;
    static constexpr int kToolbarHeightTwips = 420;

    MainWindow(state::ProgramState& state, UiServices& services, QWidget* parent = nullptr);
    ~MainWindow() override;

    QCheckBox* Check1(int index) const;
    QGroupBox* Frame1(int region) const;
    QToolBar* Toolbar1() const { return toolbar_; }
    StatusBar* StatusBar1() const { return statusBar_; }
    QWidget* background() const;
    QTimer* Timer1() const { return timer_; }
    CommonDialog& CommonDialog1() { return commonDialog_; }
    Ticks ticks() const;

    // Commands.
    void mnuFileSave_Click();
    void mnuFileEnd_Click();
    void mnuEditCopy_Click();
    void mnuEditRename_Click();
    void mnuEditSentaku_HiSentaku_Click();
    void mnuEditDelete_Click();
    void mnuOptSettei_Click();
    void mnuHelpContext_KeyWord_Click(int index);
    void mnuHelpAbout_Click();
    void Toolbar1_ButtonClick(int buttonNumber);

    // Events.
    void Timer1_Timer();
    void Form_DblClick();
    // Double-clicks on these count as on the window's background.
    void Frame1_DblClick(int region);
    void Toolbar1_DblClick();
    void StatusBar1_DblClick();
    void Check1_MouseMove(int index);
    void Frame1_MouseMove(int region);
    void Form_MouseMove();
    // Runs when the window is asked to close; true keeps it open.
    bool Form_QueryUnload(CloseReason reason);
    // The desktop session is ending; false refuses.
    bool sessionEnding(bool mayAsk);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createActions();
    void createClient();
    void Form_Load();
    void saveCurrentPosition();
    bool askToEnd();
    void endConfirmed();
    void commitData(QSessionManager& manager);

    state::ProgramState& state_;
    UiServices& services_;
    TwipsScale scale_;
    CommonDialog commonDialog_;
    PrefectureMap* map_ = nullptr;
    QToolBar* toolbar_ = nullptr;
    StatusBar* statusBar_ = nullptr;
    QTimer* timer_ = nullptr;
    bool ended_ = false; // an end was confirmed: no further question
};

} // namespace ui
