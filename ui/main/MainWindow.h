#pragma once
// The main window DOZUZEZO: the 47 prefecture boxes in their region frames,
// the menus, the toolbar and the status bar. It lays out its controls and
// forwards events to the slots below; decisions live in plain functions.

#include "CommonDialog.h"
#include "MainWindowSettings.h"
#include "state/ProgramState.h"
#include "ui/common/Twips.h"
#include "ui/common/UiServices.h"

#include <QMainWindow>

class QAction;
class QCheckBox;
class QGroupBox;
class QSessionManager;
class QTimer;
class QToolBar;

namespace ui {

class FetchCommand;
class PrefectureMap;
class StatusBar;

class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    // Why the window is asked to close.
    enum class CloseReason
    {
        User,       // close box or system menu
        Program,    // the program's own code
        SessionEnd, // log-off or shut-down
    };

    // The client area, in twips: what a 12000 x 9000 window leaves inside a
    // typical border, caption and menu bar.
    static constexpr int kClientWidthTwips = 11880;
    static constexpr int kClientHeightTwips = 8190;
    static constexpr int kToolbarHeightTwips = 420;

    MainWindow(state::ProgramState& state, UiServices& services, QWidget* parent = nullptr);
    ~MainWindow() override;

    QCheckBox* prefectureBox(int index) const;
    QGroupBox* regionFrame(int region) const;
    QToolBar* toolbar() const { return toolbar_; }
    StatusBar* statusPanels() const { return statusBar_; }
    QWidget* background() const;
    QTimer* clockTimer() const { return timer_; }
    CommonDialog& commonDialog() { return commonDialog_; }
    FetchCommand& fetchCommand() { return *fetch_; }
    Ticks ticks() const;
    void setTicks(const Ticks& ticks);

    // Runs when the window is asked to close; true keeps it open.
    bool refuseClose(CloseReason reason);
    // The desktop session is ending; false refuses.
    bool sessionEnding(bool mayAsk);

public slots:
    void saveTickedPrefectures();
    void saveTickedOffices();
    void fetchList();
    // Start-up found no list: offers to fetch it.
    void offerListFetch();
    // Which list is loaded, and its rows, in the status bar.
    void showListStatus();
    // A list from outside (a dropped file) for this run; a refused one is
    // named with what is wrong, and leaves the loaded list as it was.
    void openList(const std::filesystem::path& file);
    void requestEnd();
    void copyFile();
    void renameFile();
    void selectByRegion();
    void deleteFile();
    void showSettings();
    void showHelpIndex();
    void showHelpContents();
    void showAbout();
    // Toolbar buttons count 1-12 from the left, separators included.
    void clickToolbarButton(int buttonNumber);
    void updateClock();
    // On the background, a frame's free area, the toolbar or the status bar.
    void endOnDoubleClick();
    void showPrefectureHint(int index);
    void showRegionHint(int region);
    void clearHint();

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createClient();
    void createActions();
    void createMenus();
    void createToolbar();
    void loadSettings();
    void placeWindow();
    void saveCurrentPosition();
    bool askToEnd();
    void endConfirmed();
    void commitData(QSessionManager& manager);
    void loadListOfNewFolder(QWidget* over);

    state::ProgramState& state_;
    UiServices& services_;
    TwipsScale scale_;
    CommonDialog commonDialog_;
    PrefectureMap* map_ = nullptr;
    QToolBar* toolbar_ = nullptr;
    StatusBar* statusBar_ = nullptr;
    QTimer* timer_ = nullptr;
    FetchCommand* fetch_ = nullptr;
    std::string listFolder_; // FolderName as the loaded list was looked for
    bool ended_ = false;     // an end was confirmed: no further question
    bool iconGiven_ = false; // the program's icon, after the first paint
};

} // namespace ui
