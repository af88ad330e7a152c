#include "MainWindow.h"

#include "DateTimeText.h"
#include "ExportCommand.h"
#include "FetchCommand.h"
#include "PrefectureMap.h"
#include "StatusBar.h"
#include "state/Startup.h"
#include "ui/common/JapaneseFont.h"
#include "ui/common/PathText.h"
#include "ui/common/Pictures.h"
#include "ui/dialogs/DeleteCommand.h"
#include "ui/dialogs/FileCopyDialog.h"
#include "ui/dialogs/RegionDialog.h"
#include "ui/dialogs/RenameDialog.h"
#include "ui/dialogs/SettingsDialog.h"
#include "ui/info/AboutWindow.h"

#include <QAction>
#include <QDir>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDropEvent>
#include <QGroupBox>
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QMouseEvent>
#include <QTimer>
#include <QToolBar>
#include <iterator>
#ifndef QT_NO_SESSIONMANAGER
#include <QSessionManager>
#endif

namespace ui {

namespace {

const QString kEndQuestion = QStringLiteral("「vevoz君 for Windows」 を終了しますか？　");
const QString kEndTitle = QStringLiteral("終了確認");

// Each command once: menu caption, shortcut, toolbar picture and tooltip.
struct CommandDef
{
    const char* name; // the menu item's name
    const char* caption;
    QKeyCombination shortcut;
    const char* icon; // its toolbar picture; none when not on the toolbar
    const char* tooltip;
    void (MainWindow::*slot)();
};

const CommandDef kCommands[] = {
    {"mnuFileSave", "指定都道府県の保存(&S)", Qt::CTRL | Qt::Key_S, "save", " 指定都道府県の保存 ",
     &MainWindow::saveTickedPrefectures},
    {"mnuFileJigyosyo",
     "事業所の個別郵便番号の保存(&J)...",
     {},
     nullptr,
     nullptr,
     &MainWindow::saveTickedOffices},
    {"mnuFileFetch",
     "最新の郵便番号一覧を取得(&G)...",
     {},
     nullptr,
     nullptr,
     &MainWindow::fetchList},
    {"mnuFileEnd", "vevoz君 の終了(&X)...", {}, nullptr, nullptr, &MainWindow::requestEnd},
    {"mnuEditCopy", "ﾌｧｲﾙのｺﾋﾟｰ(&C)", {}, "copy", " ｺﾋﾟｰ ", &MainWindow::copyFile},
    {"mnuEditRename", "ﾌｧｲﾙ名の変更(&R)", {}, "rename", " 名前の変更 ", &MainWindow::renameFile},
    {"mnuEditSentaku_HiSentaku",
     "選択／非選択(&A)",
     {},
     "select",
     " 選択／非選択 ",
     &MainWindow::selectByRegion},
    {"mnuEditDelete", "ﾌｧｲﾙの削除(&D)...", {}, "delete", " 削除 ", &MainWindow::deleteFile},
    {"mnuOptSettei", "各種設定(&K)", Qt::CTRL | Qt::Key_K, "settings", " 各種設定 ",
     &MainWindow::showSettings},
    // "(H)" is plain text here, not an access key.
    {"mnuHelpContext_KeyWord_0", "ﾄﾋﾟｯｸの検索(H)", QKeyCombination(Qt::Key_F1), nullptr, nullptr,
     &MainWindow::showHelpIndex},
    {"mnuHelpContext_KeyWord_1", "目次(&C)", {}, "help", " ﾍﾙﾌﾟ ", &MainWindow::showHelpContents},
    {"mnuHelpAbout", "ﾊﾞｰｼﾞｮﾝ情報(&A)...", {}, "about", " ﾊﾞｰｼﾞｮﾝ情報 ", &MainWindow::showAbout},
};

// Menus by name and caption, then their items; "-" starts a separator's name.
struct MenuDef
{
    const char* name;
    const char* caption;
    std::initializer_list<const char*> items;
};

const MenuDef kMenus[] = {
    {"mnuFile",
     "ﾌｧｲﾙ(&F)",
     {"mnuFileSave", "mnuFileJigyosyo", "mnuFileFetch", "-mnuFileDummy", "mnuFileEnd"}},
    {"mnuEdit",
     "編集(&E)",
     {"mnuEditCopy", "mnuEditRename", "mnuEditSentaku_HiSentaku", "-mnuEditDummy",
      "mnuEditDelete"}},
    {"mnuOption", "ｵﾌﾟｼｮﾝ(&O)", {"mnuOptSettei"}},
    {"mnuHelp",
     "ﾍﾙﾌﾟ(&H)",
     {"mnuHelpContext_KeyWord_0", "mnuHelpContext_KeyWord_1", "-mnuHelpDummy", "mnuHelpAbout"}},
};

// Toolbar positions 1-12: the command of each button; none for a separator.
constexpr const char* kToolbarButtons[] = {
    nullptr,         "mnuFileSave",   nullptr,
    "mnuEditCopy",   "mnuEditRename", "mnuEditSentaku_HiSentaku",
    "mnuEditDelete", nullptr,         "mnuOptSettei",
    nullptr,         "mnuHelpAbout",  "mnuHelpContext_KeyWord_1",
};
constexpr int kToolbarPositions = int(std::size(kToolbarButtons));

// One local file, as a file manager drags it.
std::optional<std::filesystem::path> droppedFile(const QMimeData* data)
{
    const QList<QUrl> urls = data ? data->urls() : QList<QUrl>();
    if (urls.size() != 1 || !urls[0].isLocalFile())
        return std::nullopt;
    return toPath(urls[0].toLocalFile());
}

QString listStatusText(const state::ProgramState& state)
{
    if (!state.listLoaded())
        return QStringLiteral("一覧は読み込まれていません");
    // A dropped file comes with '/', a stored folder with the system's own.
    QString text = QStringLiteral("一覧: ") + QDir::toNativeSeparators(fromPath(state.listFile()));
    if (!state.listEntry().empty())
        text += QStringLiteral(" の ") + QString::fromStdString(state.listEntry());
    const QString rows =
        QLocale(QLocale::Japanese, QLocale::Japan).toString(qint64(state.list().rowCount()));
    return text + QStringLiteral("（%1 件）").arg(rows);
}

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

    createClient();
    createActions();
    createMenus();
    createToolbar();
    setAcceptDrops(true);
    fetch_ = new FetchCommand(state_, services_.messages, this);
    connect(fetch_, &FetchCommand::listLoaded, this, &MainWindow::showListStatus);
    listFolder_ = state_.settings().text(settings::Setting::FolderName);

    timer_ = new QTimer(this);
    timer_->setObjectName(QStringLiteral("Timer1"));
    timer_->setInterval(1000);
    connect(timer_, &QTimer::timeout, this, &MainWindow::updateClock);
    timer_->start();

#ifndef QT_NO_SESSIONMANAGER
    connect(qGuiApp, &QGuiApplication::commitDataRequest, this, &MainWindow::commitData);
#endif

    loadSettings();
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
    connect(map_, &PrefectureMap::checkMouseMoved, this, &MainWindow::showPrefectureHint);
    connect(map_, &PrefectureMap::frameMouseMoved, this, &MainWindow::showRegionHint);
    connect(map_, &PrefectureMap::backgroundMouseMoved, this, &MainWindow::clearHint);
    connect(map_, &PrefectureMap::backgroundDoubleClicked, this, &MainWindow::endOnDoubleClick);
    connect(map_, &PrefectureMap::frameDoubleClicked, this, &MainWindow::endOnDoubleClick);

    toolbar_ = new QToolBar(client);
    toolbar_->setObjectName(QStringLiteral("Toolbar1"));
    toolbar_->setMovable(false);
    toolbar_->setFloatable(false);
    toolbar_->setIconSize(QSize(16, 16));
    toolbar_->setAutoFillBackground(true);
    toolbar_->setGeometry(0, 0, clientSize.width(), scale_.y(kToolbarHeightTwips));
    toolbar_->installEventFilter(this);

    statusBar_ = new StatusBar(scale_, client);
    statusBar_->setGeometry(0, clientSize.height() - statusBar_->height(), clientSize.width(),
                            statusBar_->height());
    connect(statusBar_, &StatusBar::doubleClicked, this, &MainWindow::endOnDoubleClick);
}

void MainWindow::createActions()
{
    for (const CommandDef& def : kCommands) {
        auto* action = new QAction(QString::fromUtf8(def.caption), this);
        action->setObjectName(QString::fromLatin1(def.name));
        action->setShortcut(QKeySequence(def.shortcut));
        if (def.icon) {
            action->setIcon(toolbarPicture(def.icon));
            action->setIconVisibleInMenu(false);
            action->setToolTip(QString::fromUtf8(def.tooltip));
        }
        connect(action, &QAction::triggered, this, def.slot);
    }
}

void MainWindow::createMenus()
{
    QMenuBar* bar = menuBar();
    const QFont menuFont = japaneseFont(QStringLiteral("MS UI Gothic"), 9);
    bar->setFont(menuFont);
    for (const MenuDef& def : kMenus) {
        QMenu* menu = bar->addMenu(QString::fromUtf8(def.caption));
        menu->setObjectName(QString::fromLatin1(def.name));
        menu->setFont(menuFont);
        for (const char* item : def.items) {
            if (item[0] == '-')
                menu->addSeparator()->setObjectName(QString::fromLatin1(item + 1));
            else
                menu->addAction(findChild<QAction*>(QString::fromLatin1(item)));
        }
    }
}

void MainWindow::createToolbar()
{
    for (int number = 1; number <= kToolbarPositions; ++number) {
        const char* command = kToolbarButtons[number - 1];
        const QString name = QStringLiteral("Toolbar1_%1").arg(number);
        if (!command) {
            toolbar_->addSeparator()->setObjectName(name);
            continue;
        }
        QAction* action = findChild<QAction*>(QString::fromLatin1(command));
        toolbar_->addAction(action);
        toolbar_->widgetForAction(action)->setObjectName(name);
    }
}

void MainWindow::loadSettings()
{
    const state::SettingCopies& copies = state_.settings().copies();
    for (int i = 0; i < postal::kPrefectureCount; ++i)
        prefectureBox(i)->setChecked(copies.isTicked(i));

    setFixedSize(sizeHint());
    placeWindow();
    state_.setSelectedFile({});
    updateClock();
    showListStatus();
}

// Where the stored position would leave the whole title bar off every screen
// (a monitor unplugged, a hand-edited store), the user could not reach the
// window: it opens centred instead.
void MainWindow::placeWindow()
{
    const QPointF position = initialPositionTwips(state_.settings().copies(), services_.screen);
    const QPoint topLeft = scale_.point(position.x(), position.y());
    if (topEdgeVisible(QRect(topLeft, frameSize()), services_.screen.screenGeometries())) {
        move(topLeft);
        return;
    }
    const QPointF centred = centredTwips(services_.screen);
    move(scale_.point(centred.x(), centred.y()));
}

QCheckBox* MainWindow::prefectureBox(int index) const
{
    return map_->check(index);
}
QGroupBox* MainWindow::regionFrame(int region) const
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
        ticks[i] = prefectureBox(i)->isChecked();
    return ticks;
}

void MainWindow::setTicks(const Ticks& ticks)
{
    for (int i = 0; i < postal::kPrefectureCount; ++i)
        prefectureBox(i)->setChecked(ticks[i]);
}

void MainWindow::saveTickedPrefectures()
{
    exportTicked(state_, ticks(), commonDialog_, services_.messages, this);
}

void MainWindow::saveTickedOffices()
{
    exportTickedOffices(state_, ticks(), commonDialog_, services_.messages, *fetch_, this);
}

void MainWindow::fetchList()
{
    fetch_->run();
}

void MainWindow::offerListFetch()
{
    if (services_.messages.ask(this, fetchQuestion(state_), QStringLiteral("取得確認")))
        fetchList();
}

void MainWindow::openList(const std::filesystem::path& file)
{
    const state::ListLoad load = state::loadNamedList(file);
    if (const std::optional<state::ListWarning> warning =
            state::listWarning(load, state_.listLoaded())) {
        services_.messages.warn(this, QString::fromStdString(warning->text),
                                QString::fromStdString(warning->title));
        return;
    }
    state_.setList(load.table, load.listPath, load.listEntry);
    showListStatus();
}

// A folder chosen in the settings takes effect at once, as it would at the
// next start: its list, or start-up's warning and no list.
void MainWindow::loadListOfNewFolder(QWidget* over)
{
    const std::string& folder = state_.settings().text(settings::Setting::FolderName);
    if (folder == listFolder_)
        return;
    listFolder_ = folder;
    const state::ListLoad load = state::loadConfiguredList(state_.settings().copies());
    if (const std::optional<state::ListWarning> warning = state::listWarning(load))
        services_.messages.warn(over, QString::fromStdString(warning->text),
                                QString::fromStdString(warning->title));
    state_.setList(load.table, load.listPath, load.listEntry);
    showListStatus();
}

void MainWindow::showListStatus()
{
    statusBar_->setListText(listStatusText(state_));
}

void MainWindow::requestEnd()
{
    saveCurrentPosition();
    if (askToEnd())
        endConfirmed();
}

void MainWindow::copyFile()
{
    runCopyCommand(state_, commonDialog_, services_, this);
}

void MainWindow::renameFile()
{
    runRenameCommand(state_, commonDialog_, services_, this);
}

void MainWindow::selectByRegion()
{
    runRegionDialog(this, services_, ticks(),
                    [this](int i, bool on) { prefectureBox(i)->setChecked(on); });
}

void MainWindow::deleteFile()
{
    runDeleteCommand(state_, commonDialog_, services_, this);
}

void MainWindow::showSettings()
{
    SettingsDialog::run(state_, services_, this,
                        [this](QWidget* dialog) { loadListOfNewFolder(dialog); });
}

void MainWindow::showAbout()
{
    AboutWindow::run(services_, this);
}

void MainWindow::showHelpIndex()
{
    services_.help.showIndex(this);
}

void MainWindow::showHelpContents()
{
    services_.help.showContents(this);
}

void MainWindow::clickToolbarButton(int buttonNumber)
{
    if (buttonNumber < 1 || buttonNumber > kToolbarPositions)
        return;
    if (const char* command = kToolbarButtons[buttonNumber - 1])
        findChild<QAction*>(QString::fromLatin1(command))->trigger();
}

void MainWindow::updateClock()
{
    const QDateTime now = services_.clock.now();
    statusBar_->setPanelText(2, dateText(now.date()));
    statusBar_->setPanelText(3, timeText(now.time(), services_.locale));
}

void MainWindow::endOnDoubleClick()
{
    if (state_.settings().isOn(settings::Setting::OptDbl))
        requestEnd();
}

void MainWindow::showPrefectureHint(int index)
{
    statusBar_->setPanelText(1, prefectureBox(index)->toolTip());
}

void MainWindow::showRegionHint(int region)
{
    statusBar_->setPanelText(1, regionFrame(region)->toolTip());
}

void MainWindow::clearHint()
{
    statusBar_->setPanelText(1, QString());
}

bool MainWindow::refuseClose(CloseReason reason)
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
        state_.settings().flush();
        return true;
    }
    return !refuseClose(CloseReason::SessionEnd);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    const CloseReason reason = event->spontaneous() ? CloseReason::User : CloseReason::Program;
    event->setAccepted(!refuseClose(reason));
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event)
{
    if (droppedFile(event->mimeData()))
        event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event)
{
    const std::optional<std::filesystem::path> file = droppedFile(event->mimeData());
    if (!file)
        return;
    event->acceptProposedAction();
    // Messages wait until the drag is over: the file manager is still waiting.
    QTimer::singleShot(0, this, [this, path = *file] { openList(path); });
}

// The icon's pictures are decoded once the window has painted: the title
// bar can wait that moment, the first paint is what the user waits for.
bool MainWindow::event(QEvent* event)
{
    if (event->type() == QEvent::Paint && !iconGiven_) {
        iconGiven_ = true;
        QTimer::singleShot(0, this, [] {
            if (QGuiApplication::windowIcon().isNull())
                QApplication::setWindowIcon(programIcon());
        });
    }
    return QMainWindow::event(event);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == toolbar_ && event->type() == QEvent::MouseButtonDblClick &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
        endOnDoubleClick();
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
    savePosition(state_.settings(), {scale_.twipsX(frame.x()), scale_.twipsY(frame.y())});
}

bool MainWindow::askToEnd()
{
    return services_.messages.confirm(this, kEndQuestion, kEndTitle);
}

void MainWindow::endConfirmed()
{
    ended_ = true;
    saveTicks(state_.settings(), ticks());
    if (!state_.settings().flush()) {
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
