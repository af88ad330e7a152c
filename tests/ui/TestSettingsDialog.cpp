// The settings dialog: what it shows on opening, what each button on each
// tab writes to the store and the copies, in order, the main window's
// centring, the folder list and the link.

#include "RunningProgram.h"

#include "ui/common/LinkLabel.h"
#include "ui/dialogs/FolderTab.h"
#include "ui/dialogs/OptionsTab.h"
#include "ui/dialogs/SettingsApply.h"
#include "ui/dialogs/SettingsDialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileSystemModel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSortFilterProxyModel>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTreeView>
#include <QtTest/qtestspontaneevent.h>

using settings::Setting;
using testsupport::MemorySettingsStore;
using testsupport::RunningProgram;
using testsupport::TempDir;
using Access = MemorySettingsStore::Access;
using Writes = std::vector<Access>;

namespace {

QString text(const std::filesystem::path& path)
{
    return QString::fromStdString(path.string());
}

// Mouse events delivered as the window system would: a control that does
// not track the pointer passes a move to its parent.
void mouse(QWidget* widget, QPoint at, std::initializer_list<QEvent::Type> types)
{
    for (QEvent::Type type : types) {
        const bool down = type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick;
        QMouseEvent event(type, at, widget->mapToGlobal(at),
                          type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                          down ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
        QSpontaneKeyEvent::setSpontaneous(&event);
        QApplication::instance()->notify(widget, &event);
    }
}

void click(QWidget* widget)
{
    QTest::mouseClick(widget, Qt::LeftButton, {}, QPoint(2, 2));
}

// What a button press does, from the dialog as it opened with the logo
// box cleared, the double-click box ticked and `elsewhere/sub` opened. Where
// the options are stored, the main window is centred if asked, or if left in
// the very corner; its position reaches the copies only, to be stored by the
// main window at the end. The fake screen: 1280 x 1024 pixels at 96 dpi; the
// centred window stands at 3600, 3180 twips = 240, 212 pixels.
struct Press
{
    int tab = 0, button = 0;
    QString how; // "click", "Enter" on the focused button, "close box", "call"
    bool closes = false;
    QString help;
    Writes writes;          // "@folder" stands for the folder opened
    bool remember = true;   // 最後のアクティブタブ as pressed
    bool centre = false;    // 画面のセンタリング as pressed
    QPoint at = {300, 200}; // the main window
};

} // namespace

Q_DECLARE_METATYPE(Press)

class TestSettingsDialog : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void looks();
    void opening_data();
    void opening();
    void buttons_data();
    void buttons();
    void storedFolder_data();
    void storedFolder();
    void folderList();

private:
    // A dialog over a stand-in main window at `at`, on a started program.
    ui::SettingsDialog& open(QPoint at = {300, 200});
    Writes writes() const { return store_->writes(); }

    TempDir folder_;
    TempDir elsewhere_;
    std::optional<MemorySettingsStore> store_;
    std::optional<RunningProgram> program_;
    std::unique_ptr<QWidget> mainWindow_;
    std::unique_ptr<ui::SettingsDialog> dialog_;
};

void TestSettingsDialog::init()
{
    std::filesystem::create_directories(elsewhere_ / "sub");
    QDir::setCurrent(text(elsewhere_.path()));
    store_.emplace();
    program_.emplace(*store_, folder_.path());
    store_->clearLog();
}

void TestSettingsDialog::cleanup()
{
    dialog_.reset();
    mainWindow_.reset();
    program_.reset();
}

ui::SettingsDialog& TestSettingsDialog::open(QPoint at)
{
    dialog_.reset();
    mainWindow_ = std::make_unique<QWidget>();
    mainWindow_->move(at);
    dialog_ = std::make_unique<ui::SettingsDialog>(*program_->state, program_->fake.services,
                                                   mainWindow_.get());
    dialog_->show();
    return *dialog_;
}

// A fixed grey dialog with two tabs; each control's tooltip is its caption;
// no default button, so Esc leaves it open; Tab goes as the tabs read.
void TestSettingsDialog::looks()
{
    ui::SettingsDialog& dialog = open();
    QCOMPARE(dialog.objectName() + " " + dialog.windowTitle(), QStringLiteral("SETTEI 各種設定"));
    QVERIFY(!(dialog.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    QVERIFY(dialog.windowFlags() & Qt::WindowCloseButtonHint);
    QCOMPARE(dialog.minimumSize(), dialog.maximumSize());
    QCOMPARE(dialog.palette().color(QPalette::Window), QColor(128, 128, 128));
    QCOMPARE(dialog.tabs()->tabText(0) + "|" + dialog.tabs()->tabText(1),
             QStringLiteral("環境設定|ken_all.csv 保存先"));
    // clang-format off
    const QStringList expected{
        "Check1_0|ロゴの表示(&L)| ロゴの表示 ", "Check1_1|ダブルクリックで終了(&D)| ダブルクリックで終了 ",
        "Check1_2|画面のセンタリング(&C)| 画面のセンタリング ", "Check1_3|最後のアクティブタブ(&A)| 最後のアクティブタブ ",
        "Command1_0|OK| OK ", "Command1_1|キャンセル| キャンセル ", "Command1_2|適用(&A)| 適用 ",
        "Command1_3|ヘルプ| ヘルプ ", "Drive1|| ドライブ名 ", "Dir1|| フォルダ名 ",
        "Label1|URL：https://www.post.japanpost.jp/zipcode/| https://www.post.japanpost.jp/zipcode/ "};
    // clang-format on
    for (const QString& row : expected) {
        const QStringList f = row.split('|');
        auto* widget = dialog.findChild<QWidget*>(f[0]);
        QVERIFY2(widget, qPrintable(f[0]));
        QCOMPARE(widget->property("text").toString() + "|" + widget->toolTip(), f[1] + "|" + f[2]);
    }
    for (int i = 0; i < 4; ++i)
        QVERIFY(!dialog.button(i)->isDefault() && !dialog.button(i)->autoDefault());
    QTest::keyClick(&dialog, Qt::Key_Escape);
    QVERIFY(dialog.isVisible());

    ui::LinkLabel* link = dialog.folderTab()->link();
    QVERIFY(link->font().underline() && link->font().pointSizeF() == 12.0);
    QCOMPARE(link->textColour(), QColor(0, 0, 0));
    QCOMPARE(link->cursor().shape(), Qt::PointingHandCursor);

    const QStringList order{"Check1_0", "Check1_1", "Check1_2",   "Check1_3",   "Dir1",
                            "Drive1",   "Command1_0", "Command1_1", "Command1_2", "Command1_3"};
    QStringList chain;
    QWidget* w = dialog.findChild<QWidget*>("Check1_0");
    for (int guard = 0; guard < 200 && chain.size() < order.size(); ++guard, w = w->nextInFocusChain()) {
        if (order.contains(w->objectName()) && !chain.contains(w->objectName()))
            chain << w->objectName();
    }
    QCOMPARE(chain, order);
}

// The four boxes tick only for exactly "1"; the tab shown is the stored one,
// the first where the stored text is no tab. Opening reads the copies only.
void TestSettingsDialog::opening_data()
{
    QTest::addColumn<QStringList>("stored"); // OptLogo, OptDbl, OptCent, OptLAct, OptLATab
    QTest::addColumn<QString>("shown");      // the four boxes, then the tab
    // clang-format off
    QTest::newRow("all on, tab 1") << QStringList{"1", "1", "1", "1", "1"} << "11111";
    QTest::newRow("only exactly 1 ticks") << QStringList{"2", "", " 1", "1", "1"} << "00011";
    QTest::newRow("tab 1 while remembering is off") << QStringList{"1", "0", "0", "0", "1"} << "10001";
    QTest::newRow("tab 0") << QStringList{"0", "1", "1", "1", "0"} << "01110";
    QTest::newRow("hand-edited tab 2") << QStringList{"1", "0", "0", "1", "2"} << "10010";
    QTest::newRow("no tab stored") << QStringList{"1", "0", "0", "1", ""} << "10010";
    QTest::newRow("tab not a number") << QStringList{"1", "0", "0", "1", "x"} << "10010";
    QTest::newRow("negative tab") << QStringList{"1", "0", "0", "1", "-1"} << "10010";
    QTest::newRow("tab too big") << QStringList{"1", "0", "0", "1", "1000"} << "10010";
    // clang-format on
}

void TestSettingsDialog::opening()
{
    QFETCH(QStringList, stored);
    QFETCH(QString, shown);
    const Setting keys[] = {Setting::OptLogo, Setting::OptDbl, Setting::OptCent, Setting::OptLAct,
                            Setting::OptLATab};
    for (int i = 0; i < 5; ++i)
        program_->remember(keys[i], stored[i].toStdString());
    ui::SettingsDialog& dialog = open();
    QString got;
    for (int i = 0; i < 4; ++i)
        got += dialog.optionsTab()->box(i)->isChecked() ? '1' : '0';
    QCOMPARE(got + QString::number(dialog.tabs()->currentIndex()), shown);
    QVERIFY(writes().empty() && store_->reads().empty());
    QCOMPARE(program_->state->settings().text(Setting::OptLATab), stored[4].toStdString());
}

void TestSettingsDialog::buttons_data()
{
    QTest::addColumn<Press>("press");
    const Writes options0 = {{"Config", "OptLogo", "0"},   {"Config", "OptDbl", "1"},
                             {"Position", "OptCent", "0"}, {"Config", "OptLAct", "1"},
                             {"Config", "OptLATab", "0"}};
    Writes options1 = options0, forgetting = options0, centred = options0;
    centred[2].value.assign(1, '1');
    options1.back().value.assign(1, '1'); // not = "1": GCC 12 warns falsely (-Wrestrict)
    forgetting.pop_back();
    forgetting.back().value.assign(1, '0');
    const Writes folder = {{"Config", "FolderName", "@folder"}};
    Writes ok0 = options0, ok1 = options1, okForgetting = forgetting;
    for (Writes* w : {&ok0, &ok1, &okForgetting})
        w->push_back(folder[0]);
    // clang-format off
    QTest::newRow("OK on tab 0") << Press{0, 0, "click", true, "", ok0};
    QTest::newRow("OK on tab 1") << Press{1, 0, "click", true, "", ok1};
    QTest::newRow("OK, the tab not remembered") << Press{1, 0, "click", true, "", okForgetting, false};
    QTest::newRow("キャンセル on tab 0") << Press{0, 1, "click", true, "", {}};
    QTest::newRow("キャンセル on tab 1") << Press{1, 1, "click", true, "", {}};
    QTest::newRow("適用 on tab 0") << Press{0, 2, "click", false, "", options0};
    QTest::newRow("適用 on tab 1") << Press{1, 2, "click", false, "", folder};
    QTest::newRow("適用, centring") << Press{0, 2, "click", false, "", centred, true, true};
    QTest::newRow("適用, left at 0, 0") << Press{0, 2, "click", false, "", options0, true, false, {0, 0}};
    QTest::newRow("適用, left at the top") << Press{0, 2, "click", false, "", options0, true, false, {300, 0}};
    QTest::newRow("ヘルプ on tab 0") << Press{0, 3, "click", false, "context 10025", {}};
    QTest::newRow("ヘルプ on tab 1") << Press{1, 3, "click", false, "context 10026", {}};
    QTest::newRow("Enter on OK") << Press{1, 0, "Enter", true, "", ok1};
    QTest::newRow("Enter on 適用, tab 1") << Press{1, 2, "Enter", false, "", folder};
    QTest::newRow("no fifth button") << Press{0, 4, "call", false, "", {}};
    QTest::newRow("close box") << Press{1, 0, "close box", true, "", {}};
    // clang-format on
}

// Each write reaches the store and the copy, in order; nothing else changes.
void TestSettingsDialog::buttons()
{
    QFETCH(Press, press);
    const QString chosen = QDir::cleanPath(text(elsewhere_ / "sub"));
    for (Access& write : press.writes) {
        if (write.value == "@folder")
            write.value = QDir::toNativeSeparators(chosen).toStdString();
    }
    ui::SettingsDialog& dialog = open(press.at);
    dialog.optionsTab()->box(0)->setChecked(false);
    dialog.optionsTab()->box(1)->setChecked(true);
    dialog.optionsTab()->box(2)->setChecked(press.centre);
    dialog.optionsTab()->box(3)->setChecked(press.remember);
    dialog.folderTab()->openFolder(chosen);
    dialog.tabs()->setCurrentIndex(press.tab);
    const state::SettingCopies before = program_->state->settings().copies();
    QSignalSpy folderChanged(&dialog, &ui::SettingsDialog::folderNameChanged);

    if (press.how == "close box") {
        QCloseEvent event;
        QSpontaneKeyEvent::setSpontaneous(&event);
        QApplication::instance()->notify(&dialog, &event);
    } else if (press.how == "Enter") {
        dialog.button(press.button)->setFocus();
        QTest::keyClick(dialog.button(press.button), Qt::Key_Return);
    } else if (press.how == "click") {
        click(dialog.button(press.button));
    } else {
        dialog.clickButton(press.button);
    }

    QCOMPARE(writes(), press.writes);
    QCOMPARE(folderChanged.count(),
             std::count_if(press.writes.begin(), press.writes.end(),
                           [](const Access& a) { return a.key == "FolderName"; }));
    QCOMPARE(dialog.isVisible(), !press.closes);
    QCOMPARE(program_->fake.help.shown,
             press.help.isEmpty() ? QStringList() : QStringList{press.help});
    const state::SettingCopies& after = program_->state->settings().copies();
    for (const auto& key : settings::kSettings) {
        const auto write = std::find_if(press.writes.begin(), press.writes.end(),
                                        [&](const Access& a) { return a.key == key.key; });
        if (key.setting != Setting::KLeft && key.setting != Setting::KTop)
            QCOMPARE(after.text(key.setting),
                     write == press.writes.end() ? before.text(key.setting) : write->value);
    }
    const bool placed = std::any_of(press.writes.begin(), press.writes.end(),
                                    [](const Access& a) { return a.key == "OptCent"; });
    const QPoint moved =
        placed && (press.centre || press.at == QPoint(0, 0)) ? QPoint(240, 212) : press.at;
    QCOMPARE(mainWindow_->pos(), moved);
    if (placed)
        QCOMPARE(after.text(Setting::KLeft) + "," + after.text(Setting::KTop),
                 std::to_string(moved.x() * 15) + "," + std::to_string(moved.y() * 15));
    QVERIFY(!store_->contains("Position", "K_Top") && !store_->contains("Position", "K_Left"));
    QVERIFY(program_->fake.messages.shown.isEmpty());
}

void TestSettingsDialog::storedFolder_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<bool>("opensStored"); // else the current folder
    // clang-format off
    QTest::newRow("stored folder exists") << "@folder" << true;
    QTest::newRow("stored folder with a trailing separator") << "@folder/" << true;
    QTest::newRow("stored folder gone") << "@folder/gone" << false;
    QTest::newRow("nothing stored") << "" << false;
    // clang-format on
}

// The list opens at the stored folder where it exists; an OK that does not
// touch the list keeps the stored text as it is, even for a folder missing
// now (a drive not plugged in). A folder chosen is stored without a
// trailing separator, but a root keeps its own.
void TestSettingsDialog::storedFolder()
{
    QFETCH(QString, stored);
    QFETCH(bool, opensStored);
    stored.replace("@folder", text(folder_.path()));
    program_->remember(Setting::FolderName, stored.toStdString());
    ui::SettingsDialog& dialog = open();
    QSignalSpy folderChanged(&dialog, &ui::SettingsDialog::folderNameChanged);
    click(dialog.button(0));
    QCOMPARE(dialog.folderTab()->openedFolder(),
             QDir::cleanPath(text(opensStored ? folder_.path() : elsewhere_.path())));
    QCOMPARE(program_->state->settings().text(Setting::FolderName), stored.toStdString());
    for (const Access& write : writes())
        QVERIFY(write.key != "FolderName");
    QCOMPARE(folderChanged.count(), 0);
    for (const auto& [folder, kept] :
         {std::pair{"/", "/"}, {"/srv/lists/", "/srv/lists"}, {"/srv/郵便番号", "/srv/郵便番号"}})
        QCOMPARE(QString::fromStdString(ui::folderText(folder)), QDir::toNativeSeparators(kept));
}

// The stored folder is selected and in sight on either tab, hidden ones
// listed too; a double-click opens a folder and leaves it expanded; only the
// opened folder counts, and storing it says so once.
void TestSettingsDialog::folderList()
{
    const QString stored = "d59", tab = "0";
    for (int i = 0; i < 60; ++i)
        std::filesystem::create_directories(
            folder_ / QStringLiteral("d%1").arg(i, 2, 10, QChar('0')).toStdString());
    std::filesystem::create_directories(folder_ / ".lists"); // hidden, and listed too
    std::filesystem::create_directories(folder_ / stored.toStdString() / "in" / "deeper");
    const QString storedPath = QDir::cleanPath(text(folder_ / stored.toStdString()));
    program_->remember(Setting::FolderName, storedPath.toStdString());
    program_->remember(Setting::OptLATab, tab.toStdString());

    ui::SettingsDialog& dialog = open();
    ui::FolderTab* folderTab = dialog.folderTab();
    QTreeView* tree = folderTab->folderList();
    auto* model = static_cast<QSortFilterProxyModel*>(tree->model());
    auto* files = static_cast<QFileSystemModel*>(model->sourceModel());
    const auto pathOf = [&](const QModelIndex& index) {
        return QDir::cleanPath(files->filePath(model->mapToSource(index)));
    };
    QCOMPARE(pathOf(tree->currentIndex()), storedPath);
    // Its folder loads while the dialog shows either tab; the folder tab
    // then shows it.
    QTRY_COMPARE(model->rowCount(tree->currentIndex().parent()), 61);
    dialog.tabs()->setCurrentIndex(1);
    QTRY_VERIFY(tree->viewport()->rect().contains(tree->visualRect(tree->currentIndex())));

    // A real double-click on the folder in it.
    QTRY_COMPARE(model->rowCount(tree->currentIndex()), 1);
    const QPersistentModelIndex in = model->index(0, 0, tree->currentIndex());
    const QString chosen = storedPath + "/in";
    QCOMPARE(pathOf(in), chosen);
    model->fetchMore(in); // its own folder listed, as once it has been open
    QTRY_COMPARE(model->rowCount(in), 1);
    tree->scrollTo(in);
    mouse(tree->viewport(), tree->visualRect(in).center(),
          {QEvent::MouseButtonPress, QEvent::MouseButtonRelease, QEvent::MouseButtonDblClick,
           QEvent::MouseButtonRelease});
    QCOMPARE(folderTab->openedFolder(), chosen);
    QVERIFY(tree->isExpanded(in));
    QCOMPARE(model->data(in, Qt::FontRole).value<QFont>().bold(), true);
    // Highlighting another folder changes nothing.
    tree->setCurrentIndex(in.parent());
    QCOMPARE(folderTab->openedFolder(), chosen);
    // Once the user has acted in the list, it scrolls as they do.
    tree->scrollToTop();
    model->sort(0);
    QCoreApplication::processEvents();
    QCOMPARE(tree->verticalScrollBar()->value(), 0);

    QSignalSpy folderChanged(&dialog, &ui::SettingsDialog::folderNameChanged);
    for (int i = 0; i < 2; ++i)
        click(dialog.button(2));
    const Access write{"Config", "FolderName", QDir::toNativeSeparators(chosen).toStdString()};
    QCOMPARE(writes(), (Writes{write, write}));
    QCOMPARE(folderChanged.count(), 1);
}

QTEST_MAIN(TestSettingsDialog)
#include "TestSettingsDialog.moc"
