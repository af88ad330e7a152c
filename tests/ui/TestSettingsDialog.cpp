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
#include <QTimer>
#include <QTreeView>
#include <QtTest/qtestspontaneevent.h>

using settings::Setting;
using testsupport::MemorySettingsStore;
using testsupport::RunningProgram;
using testsupport::TempDir;
using Access = MemorySettingsStore::Access;
using Writes = std::vector<Access>;

Q_DECLARE_METATYPE(Writes)

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

void movePointer(QWidget* widget, QPoint at = {2, 2})
{
    mouse(widget, at, {QEvent::MouseMove});
}

void click(QWidget* widget)
{
    QTest::mouseClick(widget, Qt::LeftButton, {}, QPoint(2, 2));
}

} // namespace

class TestSettingsDialog : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void controls();
    void opening_data();
    void opening();
    void buttons_data();
    void buttons();
    void rememberedTab_data();
    void rememberedTab();
    void centring_data();
    void centring();
    void storedFolder_data();
    void storedFolder();
    void folderList_data();
    void folderList();
    void folderText_data();
    void folderText();
    void unreadableDrive();
    void link();
    void doubleClickTakesEffectAtOnce();

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

void TestSettingsDialog::controls()
{
    ui::SettingsDialog& dialog = open();
    QCOMPARE(dialog.objectName(), QStringLiteral("SETTEI"));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("各種設定"));
    QVERIFY(!(dialog.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    QVERIFY(dialog.windowFlags() & Qt::WindowCloseButtonHint);
    QCOMPARE(dialog.minimumSize(), dialog.maximumSize());
    QCOMPARE(dialog.palette().color(QPalette::Window), QColor(128, 128, 128));
    QCOMPARE(dialog.tabs()->tabText(0), QStringLiteral("環境設定"));
    QCOMPARE(dialog.tabs()->tabText(1), QStringLiteral("ken_all.csv 保存先"));

    const struct
    {
        const char* name;
        const char* caption;
        const char* tooltip;
    } expected[] = {
        {"Check1_0", "ロゴの表示(&L)", " ロゴの表示 "},
        {"Check1_1", "ダブルクリックで終了(&D)", " ダブルクリックで終了 "},
        {"Check1_2", "画面のセンタリング(&C)", " 画面のセンタリング "},
        {"Check1_3", "最後のアクティブタブ(&A)", " 最後のアクティブタブ "},
        {"Command1_0", "OK", " OK "},
        {"Command1_1", "キャンセル", " キャンセル "},
        {"Command1_2", "適用(&A)", " 適用 "},
        {"Command1_3", "ヘルプ", " ヘルプ "},
        {"Drive1", nullptr, " ドライブ名 "},
        {"Dir1", nullptr, " フォルダ名 "},
        {"Label1", "URL：https://www.post.japanpost.jp/zipcode/",
         " https://www.post.japanpost.jp/zipcode/ "},
    };
    for (const auto& e : expected) {
        auto* widget = dialog.findChild<QWidget*>(e.name);
        QVERIFY2(widget, e.name);
        QCOMPARE(widget->toolTip(), QString::fromUtf8(e.tooltip));
        if (auto* button = qobject_cast<QAbstractButton*>(widget))
            QCOMPARE(button->text(), QString::fromUtf8(e.caption));
        else if (auto* label = qobject_cast<QLabel*>(widget))
            QCOMPARE(label->text(), QString::fromUtf8(e.caption));
    }
    // No default button: Enter and Esc mean nothing dialog-wide (Enter on a
    // focused button presses it: see buttons()).
    for (int i = 0; i < 4; ++i)
        QVERIFY(!dialog.button(i)->isDefault() && !dialog.button(i)->autoDefault());
    QTest::keyClick(&dialog, Qt::Key_Escape);
    QVERIFY(dialog.isVisible());

    ui::LinkLabel* link = dialog.folderTab()->link();
    QVERIFY(link->font().underline());
    QCOMPARE(link->font().pointSizeF(), 12.0);
    QCOMPARE(link->textColour(), QColor(0, 0, 0));
    QCOMPARE(link->cursor().shape(), Qt::PointingHandCursor);

    // Tab order: the four boxes, the folder list, the drive list, the buttons.
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

void TestSettingsDialog::opening_data()
{
    QTest::addColumn<QStringList>("flags"); // OptLogo, OptDbl, OptCent, OptLAct
    QTest::addColumn<QString>("tab");
    QTest::addColumn<QList<bool>>("ticked");
    QTest::addColumn<int>("shownTab");
    QTest::newRow("all on, tab 1") << QStringList{"1", "1", "1", "1"} << "1"
                                   << QList<bool>{true, true, true, true} << 1;
    QTest::newRow("all off, tab 0") << QStringList{"0", "0", "0", "0"} << "0"
                                    << QList<bool>{false, false, false, false} << 0;
    QTest::newRow("only exactly 1 ticks") << QStringList{"2", "", " 1", "1"} << "1"
                                          << QList<bool>{false, false, false, true} << 1;
    QTest::newRow("tab 1 while remembering is off") << QStringList{"1", "0", "0", "0"} << "1"
                                                    << QList<bool>{true, false, false, false} << 1;
    QTest::newRow("hand-edited tab 2") << QStringList{"1", "0", "0", "1"} << "2"
                                       << QList<bool>{true, false, false, true} << 0;
    QTest::newRow("hand-edited tab -1") << QStringList{"1", "0", "0", "1"} << "-1"
                                        << QList<bool>{true, false, false, true} << 0;
}

void TestSettingsDialog::opening()
{
    QFETCH(QStringList, flags);
    QFETCH(QString, tab);
    QFETCH(QList<bool>, ticked);
    QFETCH(int, shownTab);
    const Setting keys[] = {Setting::OptLogo, Setting::OptDbl, Setting::OptCent, Setting::OptLAct};
    for (int i = 0; i < 4; ++i)
        program_->remember(keys[i], flags[i].toStdString());
    program_->remember(Setting::OptLATab, tab.toStdString());

    ui::SettingsDialog& dialog = open();
    for (int i = 0; i < 4; ++i)
        QCOMPARE(dialog.optionsTab()->box(i)->isChecked(), ticked[i]);
    QCOMPARE(dialog.tabs()->currentIndex(), shownTab);
    // Opening reads the copies only and leaves an odd tab text as it was.
    QVERIFY(writes().empty());
    QVERIFY(store_->reads().empty());
    QCOMPARE(program_->state->settings().text(Setting::OptLATab), tab.toStdString());
}

void TestSettingsDialog::buttons_data()
{
    QTest::addColumn<int>("tab");
    QTest::addColumn<int>("button");
    QTest::addColumn<QString>("press"); // "click", "Enter" on the focused one, "close box", "call"
    QTest::addColumn<bool>("closes");
    QTest::addColumn<QString>("help");
    QTest::addColumn<Writes>("expected");

    // Changed on the first tab: logo off, double-click on; on the second:
    // the folder `elsewhere/sub` opened.
    const std::string folder = "@folder";
    const Writes options0 = {{"Config", "OptLogo", "0"},   {"Config", "OptDbl", "1"},
                             {"Position", "OptCent", "0"}, {"Config", "OptLAct", "1"},
                             {"Config", "OptLATab", "0"}};
    Writes options1 = options0;
    options1.back().value.assign(1, '1'); // not = "1": GCC 12 warns falsely (-Wrestrict)
    const Writes onlyFolder = {{"Config", "FolderName", folder}};
    Writes ok0 = options0, ok1 = options1;
    ok0.push_back(onlyFolder[0]);
    ok1.push_back(onlyFolder[0]);

    QTest::newRow("OK on tab 0") << 0 << 0 << "click" << true << "" << ok0;
    QTest::newRow("OK on tab 1") << 1 << 0 << "click" << true << "" << ok1;
    QTest::newRow("キャンセル on tab 0") << 0 << 1 << "click" << true << "" << Writes{};
    QTest::newRow("キャンセル on tab 1") << 1 << 1 << "click" << true << "" << Writes{};
    QTest::newRow("適用 on tab 0") << 0 << 2 << "click" << false << "" << options0;
    QTest::newRow("適用 on tab 1") << 1 << 2 << "click" << false << "" << onlyFolder;
    QTest::newRow("ヘルプ on tab 0") << 0 << 3 << "click" << false << "context 10025" << Writes{};
    QTest::newRow("ヘルプ on tab 1") << 1 << 3 << "click" << false << "context 10026" << Writes{};
    QTest::newRow("Enter on OK") << 1 << 0 << "Enter" << true << "" << ok1;
    QTest::newRow("Enter on キャンセル") << 0 << 1 << "Enter" << true << "" << Writes{};
    QTest::newRow("Enter on 適用, tab 1") << 1 << 2 << "Enter" << false << "" << onlyFolder;
    QTest::newRow("no fifth button") << 0 << 4 << "call" << false << "" << Writes{};
    QTest::newRow("no button -1") << 1 << -1 << "call" << false << "" << Writes{};
    QTest::newRow("close box") << 1 << 0 << "close box" << true << "" << Writes{};
}

void TestSettingsDialog::buttons()
{
    QFETCH(int, tab);
    QFETCH(int, button);
    QFETCH(QString, press);
    QFETCH(bool, closes);
    QFETCH(QString, help);
    QFETCH(Writes, expected);
    const QString chosen = QDir::cleanPath(text(elsewhere_ / "sub"));
    for (Access& write : expected) {
        if (write.value == "@folder")
            write.value = QDir::toNativeSeparators(chosen).toStdString();
    }

    ui::SettingsDialog& dialog = open();
    dialog.optionsTab()->box(0)->setChecked(false);
    dialog.optionsTab()->box(1)->setChecked(true);
    dialog.folderTab()->openFolder(chosen);
    dialog.tabs()->setCurrentIndex(tab);
    const state::SettingCopies before = program_->state->settings().copies();
    QSignalSpy folderChanged(&dialog, &ui::SettingsDialog::folderNameChanged);

    if (press == "close box") {
        QCloseEvent event;
        QSpontaneKeyEvent::setSpontaneous(&event);
        QApplication::instance()->notify(&dialog, &event);
    } else if (press == "Enter") {
        dialog.button(button)->setFocus();
        QTest::keyClick(dialog.button(button), Qt::Key_Return);
    } else if (press == "click") {
        click(dialog.button(button));
    } else {
        dialog.clickButton(button);
    }

    QCOMPARE(writes(), expected);
    QCOMPARE(folderChanged.count(),
             std::count_if(expected.begin(), expected.end(),
                           [](const Access& a) { return a.key == "FolderName"; }));
    QCOMPARE(dialog.isVisible(), !closes);
    QCOMPARE(program_->fake.help.shown, help.isEmpty() ? QStringList() : QStringList{help});
    // Each write reached the copy too; nothing else changed there but the
    // remembered position.
    const state::SettingCopies& after = program_->state->settings().copies();
    for (const Access& write : expected) {
        const auto& keys = settings::kSettings;
        const auto key = std::find_if(keys.begin(), keys.end(),
                                      [&](const auto& k) { return k.key == write.key; });
        QCOMPARE(after.text(key->setting), write.value);
    }
    if (expected.empty()) {
        for (const auto& key : settings::kSettings)
            QCOMPARE(after.text(key.setting), before.text(key.setting));
    }
    QVERIFY(program_->fake.messages.shown.isEmpty());
}

void TestSettingsDialog::rememberedTab_data()
{
    QTest::addColumn<bool>("remember"); // the box as pressed
    QTest::addColumn<int>("tab");
    QTest::addColumn<int>("button");
    QTest::addColumn<QString>("stored"); // OptLATab afterwards; "" = not written
    QTest::newRow("remembering, 適用 on tab 0") << true << 0 << 2 << "0";
    QTest::newRow("remembering, OK on tab 1") << true << 1 << 0 << "1";
    QTest::newRow("not remembering, OK on tab 0") << false << 0 << 0 << "";
}

void TestSettingsDialog::rememberedTab()
{
    QFETCH(bool, remember);
    QFETCH(int, tab);
    QFETCH(int, button);
    QFETCH(QString, stored);
    store_->preset("Config", "OptLATab", "1");
    program_->remember(Setting::OptLATab, "1");

    ui::SettingsDialog& dialog = open();
    dialog.optionsTab()->box(3)->setChecked(remember);
    dialog.tabs()->setCurrentIndex(tab);
    click(dialog.button(button));

    const Writes all = writes();
    const bool written = std::any_of(all.begin(), all.end(),
                                     [](const Access& a) { return a.key == "OptLATab"; });
    QCOMPARE(written, !stored.isEmpty());
    const std::string expected = stored.isEmpty() ? "1" : stored.toStdString();
    QCOMPARE(store_->read("Config", "OptLATab"), expected);
    QCOMPARE(program_->state->settings().text(Setting::OptLATab), expected);
    // The next opening shows that tab.
    QCOMPARE(open().tabs()->currentIndex(), QString::fromStdString(expected).toInt());
}

void TestSettingsDialog::centring_data()
{
    QTest::addColumn<bool>("centre");
    QTest::addColumn<QPoint>("at");
    QTest::addColumn<bool>("moves");
    // The fake screen: 1280 x 1024 pixels at 96 dpi, 19200 x 15360 twips; the
    // centred window stands at 3600, 3180 twips = 240, 212 pixels.
    QTest::newRow("centring on") << true << QPoint(300, 200) << true;
    QTest::newRow("centring off") << false << QPoint(300, 200) << false;
    QTest::newRow("off, at 0, 0") << false << QPoint(0, 0) << true;
    QTest::newRow("off, top 0 only") << false << QPoint(300, 0) << false;
    QTest::newRow("off, left 0 only") << false << QPoint(0, 200) << false;
}

void TestSettingsDialog::centring()
{
    QFETCH(bool, centre);
    QFETCH(QPoint, at);
    QFETCH(bool, moves);
    ui::SettingsDialog& dialog = open(at);
    dialog.optionsTab()->box(2)->setChecked(centre);
    click(dialog.button(2));

    const QPoint expected = moves ? QPoint(240, 212) : at;
    QCOMPARE(mainWindow_->pos(), expected);
    // The position reaches the copies only; the main window stores it at the end.
    const state::Settings& settings = program_->state->settings();
    QCOMPARE(settings.text(Setting::KTop), std::to_string(expected.y() * 15));
    QCOMPARE(settings.text(Setting::KLeft), std::to_string(expected.x() * 15));
    QVERIFY(!store_->contains("Position", "K_Top"));
    QVERIFY(!store_->contains("Position", "K_Left"));
    QCOMPARE(store_->read("Position", "OptCent"), std::string(centre ? "1" : "0"));
}

void TestSettingsDialog::storedFolder_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("opens"); // "stored" or "current"
    QTest::newRow("stored folder exists") << "@folder" << "stored";
    QTest::newRow("stored folder with a trailing separator") << "@folder/" << "stored";
    QTest::newRow("stored folder gone") << "@folder/gone" << "current";
    QTest::newRow("stored path is a file") << "@folder/file" << "current";
    QTest::newRow("nothing stored") << "" << "current";
}

// The list opens at the stored folder where it exists; an OK that does not
// touch the list keeps the stored text as it is, even for a folder missing
// now (a drive not plugged in).
void TestSettingsDialog::storedFolder()
{
    QFETCH(QString, stored);
    QFETCH(QString, opens);
    testsupport::writeFile(folder_ / "file", "x");
    stored.replace("@folder", text(folder_.path()));
    program_->remember(Setting::FolderName, stored.toStdString());
    const std::string inStore = store_->read("Config", "FolderName");

    ui::SettingsDialog& dialog = open();
    QSignalSpy folderChanged(&dialog, &ui::SettingsDialog::folderNameChanged);
    click(dialog.button(0));
    const QString expected =
        QDir::cleanPath(opens == "stored" ? text(folder_.path()) : text(elsewhere_.path()));
    QCOMPARE(dialog.folderTab()->openedFolder(), expected);
    QCOMPARE(program_->state->settings().text(Setting::FolderName), stored.toStdString());
    QCOMPARE(store_->read("Config", "FolderName"), inStore);
    for (const Access& write : writes())
        QVERIFY(write.key != "FolderName");
    QCOMPARE(folderChanged.count(), 0);
}

void TestSettingsDialog::folderList_data()
{
    QTest::addColumn<QString>("stored"); // below the program's folder
    QTest::addColumn<QString>("tab");
    QTest::newRow("opened on the folder tab") << "d59" << "1";
    QTest::newRow("opened on the options tab") << "d59" << "0";
    QTest::newRow("a hidden folder") << ".lists" << "1";
}

// The stored folder is selected and in sight on either tab, hidden ones
// too; a double-click opens a folder and leaves it expanded; only the
// opened folder counts, and storing it says so once.
void TestSettingsDialog::folderList()
{
    QFETCH(QString, stored);
    QFETCH(QString, tab);
    for (int i = 0; i < 60; ++i)
        std::filesystem::create_directories(
            folder_ / QStringLiteral("d%1").arg(i, 2, 10, QChar('0')).toStdString());
    std::filesystem::create_directories(folder_ / ".lists");
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

void TestSettingsDialog::folderText_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("stored");
    QTest::newRow("a drive's root keeps its separator") << "/" << QDir::toNativeSeparators("/");
    QTest::newRow("a folder loses a trailing one") << "/srv/lists/" << QDir::toNativeSeparators("/srv/lists");
    QTest::newRow("non-ASCII kept") << "/srv/郵便番号" << QDir::toNativeSeparators("/srv/郵便番号");
#ifdef Q_OS_WIN
    QTest::newRow("drive root") << "C:/" << "C:\\";
#endif
}

void TestSettingsDialog::folderText()
{
    QFETCH(QString, folder);
    QFETCH(QString, stored);
    QCOMPARE(QString::fromStdString(ui::folderText(folder)), stored);
}

// A volume that cannot be read keeps the drive shown before, and says so.
void TestSettingsDialog::unreadableDrive()
{
    ui::SettingsDialog& dialog = open();
    QComboBox* drives = dialog.folderTab()->driveList();
    const int before = drives->currentIndex();
    const QString opened = dialog.folderTab()->openedFolder();
    drives->addItem("/no-such-volume", "/no-such-volume");
    drives->setCurrentIndex(drives->count() - 1);

    QCOMPARE(drives->currentIndex(), before);
    QCOMPARE(dialog.folderTab()->openedFolder(), opened);
    const auto& shown = program_->fake.messages.shown;
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown[0].title, QStringLiteral("ドライブ確認"));
    QCOMPARE(shown[0].icon, ui::MessageIcon::Warning);
    QCOMPARE(shown[0].text,
             QStringLiteral("ドライブ 「%1」 を読み込めません。　\n\n"
                            "ディスクが入っているか、接続されているかを確かめて下さい。　")
                 .arg(QDir::toNativeSeparators("/no-such-volume")));

    // A readable one is shown; the process's folder is not on it, so its root opens.
    drives->addItem("elsewhere", text(folder_.path()));
    drives->setCurrentIndex(drives->count() - 1);
    QCOMPARE(dialog.folderTab()->openedFolder(), QDir::cleanPath(text(folder_.path())));
    QCOMPARE(shown.size(), 1);
}

// Its colour follows the pointer; a click opens the page, or says the browser is missing.
void TestSettingsDialog::link()
{
    ui::SettingsDialog& dialog = open();
    dialog.tabs()->setCurrentIndex(1);
    ui::LinkLabel* link = dialog.folderTab()->link();
    const QColor black(0, 0, 0), blue(0, 0, 255);
    // Only its text is the link, not the tab's width.
    QTRY_VERIFY(link->isVisible() && link->width() == link->sizeHint().width());
    QCOMPARE(link->textColour(), black);
    movePointer(link);
    QCOMPARE(link->textColour(), blue);
    // Controls on the tab, the buttons and the window's own background keep it blue.
    movePointer(dialog.folderTab()->driveList());
    movePointer(dialog.folderTab()->folderList()->viewport());
    movePointer(dialog.button(0));
    movePointer(&dialog, {1, dialog.height() - 2});
    QCOMPARE(link->textColour(), blue);
    // The tab control's own area takes it back.
    movePointer(dialog.folderTab(), {1, 1});
    QCOMPARE(link->textColour(), black);
    movePointer(link);
    movePointer(dialog.tabs()->tabBar());
    QCOMPARE(link->textColour(), black);

    for (bool browserThere : {true, false}) {
        program_->fake.launcher.browserThere = browserThere;
        click(link);
    }
    const QString page = "web https://www.post.japanpost.jp/zipcode/";
    QCOMPARE(program_->fake.launcher.asked, (QStringList{page, page}));
    const auto& shown = program_->fake.messages.shown;
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown[0].text, QStringLiteral("「Internet Explorer」 が ｲﾝｽﾄｰﾙ されていません。　"));
    QCOMPARE(shown[0].title, QStringLiteral("IE ｲﾝｽﾄｰﾙ 確認"));
    QCOMPARE(shown[0].icon, ui::MessageIcon::Warning);
    QVERIFY(dialog.isVisible());
    QVERIFY(writes().empty());
}

// Through the running program: Ctrl+K, tick ダブルクリックで終了, OK; the next
// double-click asks to end.
void TestSettingsDialog::doubleClickTakesEffectAtOnce()
{
    ui::MainWindow& window = program_->open();
    window.endOnDoubleClick();
    QVERIFY(program_->fake.messages.shown.isEmpty());
    QTimer::singleShot(0, [] {
        auto* dialog = qobject_cast<ui::SettingsDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        dialog->optionsTab()->box(1)->setChecked(true);
        dialog->button(0)->click();
    });
    window.showSettings();
    program_->fake.messages.answers.enqueue(ui::MessageAnswer::Cancel);
    window.endOnDoubleClick();
    QCOMPARE(program_->fake.messages.shown.size(), 1);
    QCOMPARE(program_->fake.messages.shown[0].title, QStringLiteral("終了確認"));
}

QTEST_MAIN(TestSettingsDialog)
#include "TestSettingsDialog.moc"
