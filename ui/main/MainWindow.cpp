#include "MainWindow.h"

#include "DateTimeText.h"
#include "ExportCommand.h"
#include "PrefectureMap.h"
#include "StatusBar.h"
#include "ToolbarDispatch.h"
#include "ui/common/JapaneseFont.h"
#include "ui/dialogs/DeleteCommand.h"
#include "ui/dialogs/FileCopyDialog.h"
#include "ui/dialogs/RegionDialog.h"
#include "ui/dialogs/RenameDialog.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QGuiApplication>
#include <QMenuBar>
#include <QMouseEvent>
#include <QTimer>
#include <QToolBar>
#ifndef QT_NO_SESSIONMANAGER
#include <QSessionManager>
#endif

namespace ui {

namespace {

const QString kEndQuestion = QStringLiteral("「vevoz君 for Windows」 を終了しますか？　");
const QString kEndTitle = QStringLiteral("終了確認");

struct ToolbarButton
{
    int number;
    const char* icon; // under :/icons/
    const char* tooltip;
};

// The buttons between the separators at 1, 3, 8 and 10.
constexpr ToolbarButton kToolbarButtons[] = {
    {2, "save.svg", " 指定都道府県の保存 "},
    {4, "copy.svg", " ｺﾋﾟｰ "},
    {5, "rename.svg", " 名前の変更 "},
    {6, "select.svg", " 選択／非選択 "},
    {7, "delete.svg", " 削除 "},
    {9, "settings.svg", " 各種設定 "},
    {11, "about.svg", " ﾊﾞｰｼﾞｮﾝ情報 "},
    {12, "help.svg", " ﾍﾙﾌﾟ "},
};

} // namespace

MainWindow::MainWindow(state::ProgramState& state, UiServices& services, QWidget* parent)
    : QMainWindow(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                              Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                              Qt::WindowCloseButtonHint),
      state_(state), services_(services),
      scale_(services.screen.logicalDpiX(), services.screen.logicalDpiY()),
      commonDialog_(services.files)
{
    setObjectName(QStringLiteral("DOZUZEZO"));
    setWindowTitle(QStringLiteral("vevoz君 for Windows"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/app.svg")));

    createClient();
    createActions();

    timer_ = new QTimer(this);
    timer_->setObjectName(QStringLiteral("Timer1"));
    timer_->setInterval(1000);
    connect(timer_, &QTimer::timeout, this, &MainWindow::Timer1_Timer);
    timer_->start();

#ifndef QT_NO_SESSIONMANAGER
    connect(qGuiApp, &QGuiApplication::commitDataRequest, this, &MainWindow::commitData);
#endif

    Form_Load();
}

MainWindow::~MainWindow() = default;

void MainWindow::createClient()
{
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("DOZUZEZO_Client"));
    const QSize clientSize = scale_.size(kClientWidthTwips, kClientHeightTwips);
    client->setFixedSize(clientSize);
    setCentralWidget(client);

    // The background with the frames fills the client area: frame positions
    // count from its top-left, under the toolbar.
    map_ = new PrefectureMap(scale_, client);
    map_->setGeometry(QRect(QPoint(0, 0), clientSize));
    connect(map_, &PrefectureMap::checkMouseMoved, this, &MainWindow::Check1_MouseMove);
    connect(map_, &PrefectureMap::frameMouseMoved, this, &MainWindow::Frame1_MouseMove);
    connect(map_, &PrefectureMap::backgroundMouseMoved, this, &MainWindow::Form_MouseMove);
    connect(map_, &PrefectureMap::backgroundDoubleClicked, this, &MainWindow::Form_DblClick);
    connect(map_, &PrefectureMap::frameDoubleClicked, this, &MainWindow::Frame1_DblClick);

    toolbar_ = new QToolBar(client);
    toolbar_->setObjectName(QStringLiteral("Toolbar1"));
    toolbar_->setMovable(false);
    toolbar_->setFloatable(false);
    toolbar_->setIconSize(QSize(16, 16));
    toolbar_->setAutoFillBackground(true);
    toolbar_->setGeometry(0, 0, clientSize.width(), scale_.y(kToolbarHeightTwips));
    toolbar_->installEventFilter(this);

    // Along the whole bottom; the panels keep their widths from the left.
    statusBar_ = new StatusBar(scale_, client);
    statusBar_->setGeometry(0, clientSize.height() - statusBar_->height(), clientSize.width(),
                            statusBar_->height());
    connect(statusBar_, &StatusBar::doubleClicked, this, &MainWindow::StatusBar1_DblClick);
}

void MainWindow::createActions()
{
    auto command = [this](QMenu* menu, const char* name, const QString& caption,
                          const QKeySequence& shortcut, auto handler) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(QString::fromLatin1(name));
        action->setShortcut(shortcut);
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    auto separator = [](QMenu* menu, const char* name) {
        menu->addSeparator()->setObjectName(QString::fromLatin1(name));
    };

    QMenuBar* bar = menuBar();
    QMenu* file = bar->addMenu(QStringLiteral("ﾌｧｲﾙ(&F)"));
    file->setObjectName(QStringLiteral("mnuFile"));
    command(file, "mnuFileSave", QStringLiteral("指定都道府県の保存(&S)"),
            QKeySequence(Qt::CTRL | Qt::Key_S), [this] { mnuFileSave_Click(); });
    separator(file, "mnuFileDummy");
    command(file, "mnuFileEnd", QStringLiteral("vevoz君 の終了(&X)..."), {},
            [this] { mnuFileEnd_Click(); });

    QMenu* edit = bar->addMenu(QStringLiteral("編集(&E)"));
    edit->setObjectName(QStringLiteral("mnuEdit"));
    command(edit, "mnuEditCopy", QStringLiteral("ﾌｧｲﾙのｺﾋﾟｰ(&C)"), {},
            [this] { mnuEditCopy_Click(); });
    command(edit, "mnuEditRename", QStringLiteral("ﾌｧｲﾙ名の変更(&R)"), {},
            [this] { mnuEditRename_Click(); });
    command(edit, "mnuEditSentaku_HiSentaku", QStringLiteral("選択／非選択(&A)"), {},
            [this] { mnuEditSentaku_HiSentaku_Click(); });
    separator(edit, "mnuEditDummy");
    command(edit, "mnuEditDelete", QStringLiteral("ﾌｧｲﾙの削除(&D)..."), {},
            [this] { mnuEditDelete_Click(); });

    QMenu* option = bar->addMenu(QStringLiteral("ｵﾌﾟｼｮﾝ(&O)"));
    option->setObjectName(QStringLiteral("mnuOption"));
    command(option, "mnuOptSettei", QStringLiteral("各種設定(&K)"),
            QKeySequence(Qt::CTRL | Qt::Key_K), [this] { mnuOptSettei_Click(); });

    QMenu* help = bar->addMenu(QStringLiteral("ﾍﾙﾌﾟ(&H)"));
    help->setObjectName(QStringLiteral("mnuHelp"));
    // "(H)" is plain text here, not an access key.
    command(help, "mnuHelpContext_KeyWord_0", QStringLiteral("ﾄﾋﾟｯｸの検索(H)"),
            QKeySequence(Qt::Key_F1), [this] { mnuHelpContext_KeyWord_Click(0); });
    command(help, "mnuHelpContext_KeyWord_1", QStringLiteral("目次(&C)"), {},
            [this] { mnuHelpContext_KeyWord_Click(1); });
    separator(help, "mnuHelpDummy");
    command(help, "mnuHelpAbout", QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報(&A)..."), {},
            [this] { mnuHelpAbout_Click(); });

    const QFont menuFont = japaneseFont(QStringLiteral("MS UI Gothic"), 9);
    bar->setFont(menuFont);
    for (QMenu* menu : {file, edit, option, help})
        menu->setFont(menuFont);

    // Toolbar positions 1-12; each button reports its number.
    int next = 0;
    for (int number = 1; number <= kToolbarPositions; ++number) {
        QAction* action = nullptr;
        if (isToolbarSeparator(number)) {
            action = toolbar_->addSeparator();
        } else {
            const ToolbarButton& button = kToolbarButtons[next++];
            action = toolbar_->addAction(
                QIcon(QStringLiteral(":/icons/") + QLatin1String(button.icon)), QString());
            action->setToolTip(QString::fromUtf8(button.tooltip));
            connect(action, &QAction::triggered, this,
                    [this, number] { Toolbar1_ButtonClick(number); });
        }
        action->setObjectName(QStringLiteral("Toolbar1_%1").arg(number));
    }
}

void MainWindow::Form_Load()
{
    for (int i = 0; i < postal::kPrefectureCount; ++i)
        Check1(i)->setChecked(tickFromText(state_.copies.kenOnOff[i]));

    setFixedSize(sizeHint());
    const QPointF position = initialPositionTwips(state_.copies, services_.screen);
    move(scale_.point(position.x(), position.y()));

    for (int r = 0; r < postal::kRegionCount; ++r) {
        state_.regions.first[r] = postal::kRegions[r].first;
        state_.regions.last[r] = postal::kRegions[r].last;
        state_.regions.count[r] = postal::kRegions[r].count();
    }
    state_.selectedFile.clear();

    statusBar_->setPanelText(2, QString::fromStdString(state_.nowDate));
    statusBar_->setPanelText(3, QString::fromStdString(state_.nowTime));
}

QCheckBox* MainWindow::Check1(int index) const
{
    return map_->check(index);
}
QGroupBox* MainWindow::Frame1(int region) const
{
    return map_->frame(region);
}
QWidget* MainWindow::background() const
{
    return map_;
}

Ticks MainWindow::ticks() const
{
    Ticks ticks{};
    for (int i = 0; i < postal::kPrefectureCount; ++i)
        ticks[i] = Check1(i)->isChecked();
    return ticks;
}

void MainWindow::mnuFileSave_Click()
{
    exportTicked(state_, ticks(), commonDialog_, services_.messages, this);
}

void MainWindow::mnuFileEnd_Click()
{
    saveCurrentPosition();
    if (askToEnd())
        endConfirmed();
}

void MainWindow::mnuEditCopy_Click()
{
    runCopyCommand(state_, commonDialog_, services_, this);
}

void MainWindow::mnuEditRename_Click()
{
    runRenameCommand(state_, commonDialog_, services_, this);
}

void MainWindow::mnuEditSentaku_HiSentaku_Click()
{
    selectByRegion(this, services_, ticks(), [this](int i, bool on) { Check1(i)->setChecked(on); });
}

void MainWindow::mnuEditDelete_Click()
{
    runDeleteCommand(state_, commonDialog_, services_, this);
}

// The windows behind these commands come later.
void MainWindow::mnuOptSettei_Click() {}
void MainWindow::mnuHelpAbout_Click() {}

void MainWindow::mnuHelpContext_KeyWord_Click(int index)
{
    if (index == 0)
        services_.help.showIndex(this);
    else
        services_.help.showContents(this);
}

void MainWindow::Toolbar1_ButtonClick(int buttonNumber)
{
    switch (toolbarCommand(buttonNumber)) {
    case Command::Save:
        mnuFileSave_Click();
        break;
    case Command::Copy:
        mnuEditCopy_Click();
        break;
    case Command::Rename:
        mnuEditRename_Click();
        break;
    case Command::SelectByRegion:
        mnuEditSentaku_HiSentaku_Click();
        break;
    case Command::Delete:
        mnuEditDelete_Click();
        break;
    case Command::Settings:
        mnuOptSettei_Click();
        break;
    case Command::About:
        mnuHelpAbout_Click();
        break;
    case Command::HelpContents:
        mnuHelpContext_KeyWord_Click(1);
        break;
    case Command::None:
        break;
    }
}

void MainWindow::Timer1_Timer()
{
    SetDateTime(state_, services_.clock.now(), services_.locale);
    statusBar_->setPanelText(2, QString::fromStdString(state_.nowDate));
    statusBar_->setPanelText(3, QString::fromStdString(state_.nowTime));
}

void MainWindow::Form_DblClick()
{
    if (settings::isOn(state_.copies.optDbl))
        mnuFileEnd_Click();
}

void MainWindow::Frame1_DblClick(int)
{
    Form_DblClick();
}
void MainWindow::Toolbar1_DblClick()
{
    Form_DblClick();
}
void MainWindow::StatusBar1_DblClick()
{
    Form_DblClick();
}

void MainWindow::Check1_MouseMove(int index)
{
    statusBar_->setPanelText(1, Check1(index)->toolTip());
}
void MainWindow::Frame1_MouseMove(int region)
{
    statusBar_->setPanelText(1, Frame1(region)->toolTip());
}
void MainWindow::Form_MouseMove()
{
    statusBar_->setPanelText(1, QString());
}

bool MainWindow::Form_QueryUnload(CloseReason reason)
{
    if (ended_)
        return false;
    saveCurrentPosition();
    if (reason == CloseReason::Program)
        return false;
    if (!askToEnd())
        return true;
    endConfirmed();
    return false;
}

bool MainWindow::sessionEnding(bool mayAsk)
{
    if (ended_)
        return true;
    if (!mayAsk) {
        // Nobody to ask: the position is kept, the ticks stay as last confirmed.
        saveCurrentPosition();
        state_.store->flush();
        return true;
    }
    return !Form_QueryUnload(CloseReason::SessionEnd);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    const CloseReason reason = event->spontaneous() ? CloseReason::User : CloseReason::Program;
    event->setAccepted(!Form_QueryUnload(reason));
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == toolbar_ && event->type() == QEvent::MouseButtonDblClick &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
        Toolbar1_DblClick();
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::commitData(QSessionManager& manager)
{
#ifndef QT_NO_SESSIONMANAGER
    const bool mayAsk = manager.allowsInteraction();
    const bool goAhead = sessionEnding(mayAsk);
    if (mayAsk)
        manager.release();
    if (!goAhead)
        manager.cancel();
#else
    Q_UNUSED(manager);
#endif
}

void MainWindow::saveCurrentPosition()
{
    const QPoint frame = pos();
    savePosition(state_, {scale_.twipsX(frame.x()), scale_.twipsY(frame.y())});
}

bool MainWindow::askToEnd()
{
    return services_.messages.confirm(this, kEndQuestion, kEndTitle);
}

void MainWindow::endConfirmed()
{
    ended_ = true;
    saveTicks(state_, ticks());
    if (!state_.store->flush()) {
        services_.messages.warn(
            this,
            QStringLiteral(
                "設定を保存できませんでした。　\n\n"
                "都道府県の指定とウィンドウの位置は、次回の起動時には前回の状態に戻ります。　"),
            QStringLiteral("設定確認"));
    }
    if (services_.endProgram)
        services_.endProgram();
}

} // namespace ui
