// The main window: what it looks like, what reaches its commands (toolbar
// buttons, shortcuts), what its status bar shows (hints, date and time), the
// region dialog it opens, and loading and ending it: ticks, position, and
// what reaches the settings store in which order for each way of ending.

#include "ModalDialogs.h"
#include "RunningProgram.h"

#include "tests/postal/ListLines.h"
#include "ui/dialogs/RegionDialog.h"
#include "ui/main/StatusBar.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QMouseEvent>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QtTest/qtestspontaneevent.h>
#include <set>

using testsupport::MemorySettingsStore;
using testsupport::RunningProgram;
using Access = MemorySettingsStore::Access;
using ui::RegionDialog;
using ui::Ticks;
using TickSet = std::set<int>;

Q_DECLARE_METATYPE(ui::MessageAnswer)
Q_DECLARE_METATYPE(TickSet)

namespace {

const QString kQuestion = QStringLiteral("「vevoz君 for Windows」 を終了しますか？　");

// A close from the window's close box arrives as a spontaneous event; true
// when the window let itself be closed.
bool closeBox(QWidget& window)
{
    QCloseEvent event;
    QSpontaneKeyEvent::setSpontaneous(&event);
    // notify(), not sendEvent(): sendEvent would mark the event as the program's own.
    QApplication::instance()->notify(&window, &event);
    return event.isAccepted();
}

QColor colour(const QWidget* w, QPalette::ColorRole role)
{
    return w->palette().color(role);
}

Ticks ticksOf(const TickSet& indexes)
{
    Ticks ticks{};
    for (int i : indexes)
        ticks[i] = true;
    return ticks;
}

TickSet range(int first, int last, TickSet out = {})
{
    for (int i = first; i <= last; ++i)
        out.insert(i);
    return out;
}

// The eight region boxes and 全選択 as "1" (ticked) and "0".
QString boxes(const RegionDialog& dialog)
{
    QString out;
    for (bool on : dialog.regions())
        out += on ? '1' : '0';
    return out + (dialog.allBox()->isChecked() ? " 1" : " 0");
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void looks();
    void toolbar_data();
    void toolbar();
    void shortcuts();
    void hints();
    void dateTimeTexts();
    void ending_data();
    void ending();
    void failedFlushIsReported();
    void position_data();
    void position();
    void doubleClickEnds_data();
    void doubleClickEnds();
    void regionDialog_data();
    void regionDialog();
    void regionDialogSelectAll();
    void regionDialogLooks();

private:
    testsupport::TempDir folder_;
    testsupport::TempDir listFolder_;
    std::optional<MemorySettingsStore> store_;
    std::optional<RunningProgram> program_;
};

void TestMainWindow::init()
{
    program_.reset();
    store_.emplace();
    testsupport::writeFile(listFolder_ / "ken_all.csv", testlines::line("13101"));
    program_.emplace(*store_, folder_.path(), listFolder_ / "ken_all.csv");
}

// The map on grey: each region's frame with its name as caption and tooltip,
// and each prefecture's box, its name as text and tooltip, in its region's colour.
void TestMainWindow::looks()
{
    ui::MainWindow& window = program_->open();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QColor grey(128, 128, 128);
    QCOMPARE(colour(window.background(), QPalette::Window), grey);
    QCOMPARE(window.background()->grab().toImage().pixelColor(400, 100),
             grey); // between the frames
    for (int r = 0; r < postal::kRegionCount; ++r) {
        const postal::Region& region = postal::kRegions[r];
        const QColor coloured(region.colour.r, region.colour.g, region.colour.b);
        QGroupBox* frame = window.regionFrame(r);
        const QString name =
            " " + QString::fromUtf8(region.name.data(), qsizetype(region.name.size())) + " ";
        QCOMPARE(frame->title() + "|" + frame->toolTip(), name + "|" + name);
        QCOMPARE(colour(frame, QPalette::WindowText), coloured);
        QCOMPARE(colour(frame, QPalette::Window), grey);
        for (int i = region.first; i <= region.last; ++i) {
            QCheckBox* box = window.prefectureBox(i);
            QVERIFY(box->parentWidget() == frame && frame->rect().contains(box->geometry()));
            QCOMPARE(" " + box->text() + " ", box->toolTip());
            const std::string_view named = postal::kPrefectures[i].name;
            QCOMPARE(box->text(), QString::fromUtf8(named.data(), qsizetype(named.size())));
            QCOMPARE(colour(box, box->foregroundRole()), coloured);
        }
    }
}

void TestMainWindow::toolbar_data()
{
    QTest::addColumn<int>("button");
    for (int n = 0; n <= 13; ++n)
        QTest::addRow("button %d", n) << n;
}

// Buttons count from the left, separators included. Each command must come
// from its own button alone: told apart by the question, chooser or dialog
// it shows (choosers are cancelled, dialogs closed).
void TestMainWindow::toolbar()
{
    QFETCH(int, button);
    ui::MainWindow& window = program_->open();
    for (int i = 0; i < 47; ++i)
        window.prefectureBox(i)->setChecked(false); // the export refuses at once
    const QList<QAction*> actions = window.toolbar()->actions();
    QCOMPARE(actions.size(), 12);
    testsupport::ModalDialogs dialogs;
    if (button >= 1 && button <= 12) {
        QCOMPARE(actions[button - 1]->isSeparator(),
                 button == 1 || button == 3 || button == 8 || button == 10);
        actions[button - 1]->trigger();
    }
    window.clickToolbarButton(button);

    const auto& shown = program_->fake.messages.shown;
    QCOMPARE(shown.size(), button == 2 ? 2 : 0);
    QVERIFY(shown.isEmpty() || shown[0].title == QStringLiteral("指定確認"));
    QCOMPARE(program_->fake.help.shown,
             (button == 12 ? QStringList{"contents", "contents"} : QStringList()));
    QStringList choosers;
    for (const ui::FileDialogRequest& asked : program_->fake.files.asked)
        choosers << asked.title;
    const QMap<int, QString> chooserOf{
        {4, "ｺﾋﾟｰするﾌｧｲﾙを選択"}, {5, "名前を変更するﾌｧｲﾙを選択"}, {7, "削除するﾌｧｲﾙを選択"}};
    QCOMPARE(choosers,
             chooserOf.contains(button) ? QStringList(2, chooserOf[button]) : QStringList());
    const QMap<int, QString> dialogOf{{6, "ALLSELE"}, {9, "SETTEI"}, {11, "INFO_VER"}};
    QCOMPARE(dialogs.shown,
             dialogOf.contains(button) ? QStringList(2, dialogOf[button]) : QStringList());
}

void TestMainWindow::shortcuts()
{
    ui::MainWindow& window = program_->open();
    window.show();
    QTRY_VERIFY(!window.windowIcon().pixmap(32, 32).isNull()); // given once it has painted
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QTest::keyClick(&window, Qt::Key_F1);
    QCOMPARE(program_->fake.help.shown, QStringList{"index"});
    // All boxes are ticked, so the export asks for a file.
    QTest::keyClick(&window, Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(program_->fake.files.asked.size(), 1);
    QCOMPARE(program_->fake.files.asked[0].title, QStringLiteral("保存ﾌｧｲﾙを選択"));
    testsupport::ModalDialogs dialogs;
    QTest::keyClick(&window, Qt::Key_K, Qt::ControlModifier);
    QCOMPARE(dialogs.shown, QStringList{"SETTEI"});
}

// The first panel names what the pointer is over, a box or a frame's free
// area, in place of the list loaded.
void TestMainWindow::hints()
{
    ui::MainWindow& window = program_->open();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    ui::StatusBar* bar = window.statusPanels();
    QGroupBox* kanto = window.regionFrame(2);
    QCheckBox* tokyo = window.prefectureBox(12);
    // The event itself: QTest moves the pointer through the platform's
    // cursor, which the headless platform on Windows does not have.
    const auto mouseMove = [](QWidget* over, QPoint at) {
        QMouseEvent move(QEvent::MouseMove, at, over->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(over, &move);
    };
    mouseMove(tokyo, QPoint(5, 5));
    QTRY_COMPARE(bar->panelText(1), QStringLiteral(" 東京都 "));
    QVERIFY(!bar->listLabel()->isVisible());
    mouseMove(tokyo, QPoint(20, 6)); // still on the box: not its frame's name
    QTRY_COMPARE(bar->panelText(1), QStringLiteral(" 東京都 "));
    mouseMove(kanto, QPoint(kanto->width() - 5, kanto->height() - 5));
    QTRY_COMPARE(bar->panelText(1), QStringLiteral(" 関東地方 "));
    mouseMove(window.background(), QPoint(400, 100));
    QTRY_COMPARE(bar->panelText(1), QString());
    QVERIFY(bar->listLabel()->isVisible());

    // A list too long to show gives way in the middle, whole in the tooltip.
    const QString longList = "一覧: " + QString(300, 'x') + "（3 件）";
    bar->setListText(longList);
    QVERIFY(bar->listLabel()->text().contains(QChar(0x2026)));
    QVERIFY(bar->listLabel()->text().endsWith("（3 件）"));
    QCOMPARE(bar->listLabel()->toolTip(), longList);
    bar->setListText("一覧: a（3 件）");
    QCOMPARE(bar->listLabel()->text() + bar->listLabel()->toolTip(), "一覧: a（3 件）");
}

void TestMainWindow::dateTimeTexts()
{
    // clang-format off
    const std::tuple<QDate, QTime, const char*> moments[] = {
        {{2007, 3, 5}, {0, 30, 59}, "2007/03/05 午前 12:30"}, {{2007, 12, 25}, {15, 7, 59}, "2007/12/25 午後 03:07"},
        {{2007, 12, 25}, {12, 0}, "2007/12/25 午後 12:00"},  {{2008, 1, 1}, {0, 0}, "2008/01/01 午前 12:00"}};
    // clang-format on
    // The status bar's second and third panels after a tick of the clock.
    ui::MainWindow& window = program_->open();
    const ui::StatusBar* bar = window.statusPanels();
    window.clockTimer()->setInterval(1);
    for (const auto& [day, time, shown] : moments) {
        program_->fake.clock.time = QDateTime(day, time);
        QTRY_COMPARE(bar->panelText(2) + " " + bar->panelText(3), QString(shown));
    }
}

void TestMainWindow::ending_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<ui::MessageAnswer>("answer");
    QTest::addColumn<bool>("asks");
    QTest::addColumn<bool>("storesTicks");
    QTest::addColumn<bool>("letsGo");
    const auto ok = ui::MessageAnswer::Ok;
    const auto cancel = ui::MessageAnswer::Cancel;
    // clang-format off
    QTest::newRow("end command, OK") << "command" << ok << true << true << true;
    QTest::newRow("end command, Cancel") << "command" << cancel << true << false << true;
    QTest::newRow("close box, OK") << "close box" << ok << true << true << true;
    QTest::newRow("close box, Cancel") << "close box" << cancel << true << false << false;
    QTest::newRow("program's own close") << "program" << ok << false << false << true;
    QTest::newRow("session end, OK") << "session" << ok << true << true << true;
    QTest::newRow("session end, Cancel") << "session" << cancel << true << false << false;
    QTest::newRow("session end, may not ask") << "session, no asking" << cancel << false << false << true;
    // clang-format on
}

void TestMainWindow::ending()
{
    QFETCH(QString, how);
    QFETCH(ui::MessageAnswer, answer);
    QFETCH(bool, asks);
    QFETCH(bool, storesTicks);
    QFETCH(bool, letsGo);
    program_->fake.screen.dpi = 120; // 12 twips a pixel
    ui::MainWindow& window = program_->open();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.move(300, 150);
    window.prefectureBox(12)->setChecked(false);
    window.prefectureBox(46)->setChecked(false);
    store_->clearLog();
    program_->fake.messages.answers.enqueue(answer);

    bool wentAway = true;
    if (how == "command")
        window.requestEnd();
    else if (how == "close box")
        wentAway = closeBox(window);
    else if (how == "program")
        wentAway = window.close();
    else
        wentAway = window.sessionEnding(how == "session");

    QCOMPARE(wentAway, letsGo);
    QCOMPARE(program_->fake.messages.shown.size(), asks ? 1 : 0);
    if (asks) {
        const ui::MessageRequest& asked = program_->fake.messages.shown[0];
        QCOMPARE(asked.text + asked.title, kQuestion + "終了確認");
        QVERIFY(asked.icon == ui::MessageIcon::Question &&
                asked.buttons == ui::MessageButtons::OkCancel);
    }
    // The position always, K_Top first; the ticks, in order, only once the end is confirmed.
    std::vector<Access> expected = {{"Position", "K_Top", "1800"}, {"Position", "K_Left", "3600"}};
    for (int i = 0; storesTicks && i < 47; ++i)
        expected.push_back(
            {"Ken_on_off", "Ken_OnOff(" + std::to_string(i) + ")", i == 12 || i == 46 ? "0" : "1"});
    QVERIFY(store_->writes() == expected);
    QCOMPARE(program_->state->settings().text(settings::Setting::KLeft), std::string("3600"));
    QCOMPARE(store_->flushCount(), storesTicks ? 1 : how == "session, no asking" ? 1 : 0);
    QCOMPARE(program_->fake.endCount, storesTicks ? 1 : 0);
    if (!storesTicks)
        return;
    // Once confirmed, the window goes away without asking or storing again.
    QVERIFY(closeBox(window) && window.sessionEnding(true) && window.close());
    QCOMPARE(program_->fake.messages.shown.size(), 1);
    QCOMPARE(store_->writes().size(), expected.size());
    QCOMPARE(program_->fake.endCount, 1);
}

void TestMainWindow::failedFlushIsReported()
{
    ui::MainWindow& window = program_->open();
    store_->setFlushResult(false);
    window.requestEnd();
    QCOMPARE(program_->fake.messages.shown.size(), 2);
    const ui::MessageRequest& warning = program_->fake.messages.shown[1];
    QVERIFY(warning.icon == ui::MessageIcon::Warning &&
            warning.text.endsWith(QStringLiteral("　")));
    QCOMPARE(warning.title, QStringLiteral("設定確認"));
    QCOMPARE(program_->fake.endCount, 1);
}

void TestMainWindow::position_data()
{
    QTest::addColumn<double>("dpi");
    QTest::addColumn<QString>("stored"); // OptCent,K_Left,K_Top
    QTest::addColumn<QPoint>("expected");
    QTest::addColumn<QRect>("second"); // another screen, or none
    // A 1280 x 1024 screen is 19200 x 15360 twips at 96 DPI, 15360 x 12288 at 120.
    const QRect none, right(1280, 0, 1920, 1080);
    // clang-format off
    QTest::newRow("stored") << 96.0 << "0,1500,750" << QPoint(100, 50) << none;
    QTest::newRow("centred") << 96.0 << "1,1500,750" << QPoint(240, 212) << none;
    QTest::newRow("centred, 120") << 120.0 << "1,," << QPoint(140, 137) << none;
    QTest::newRow("no number") << 96.0 << "0,abc,750" << QPoint(240, 50) << none;
    // Only a window whose title bar no screen shows is brought back.
    QTest::newRow("partly off, left") << 96.0 << "0,-9000,750" << QPoint(-600, 50) << none;
    QTest::newRow("partly off, bottom") << 96.0 << "0,1500,15345" << QPoint(100, 1023) << none;
    QTest::newRow("far off") << 96.0 << "0,99999999,750" << QPoint(240, 212) << none;
    QTest::newRow("below the screen") << 96.0 << "0,1500,15360" << QPoint(240, 212) << none;
    QTest::newRow("above the screen") << 96.0 << "0,1500,-30" << QPoint(240, 212) << none;
    QTest::newRow("on the second screen") << 96.0 << "0,30000,750" << QPoint(2000, 50) << right;
    QTest::newRow("past the second screen") << 96.0 << "0,60000,750" << QPoint(240, 212) << right;
    // clang-format on
}

void TestMainWindow::position()
{
    QFETCH(double, dpi);
    QFETCH(QString, stored);
    QFETCH(QPoint, expected);
    QFETCH(QRect, second);
    program_->fake.screen.dpi = dpi;
    if (!second.isNull())
        program_->fake.screen.others.append(second);
    const QStringList values = stored.split(',');
    program_->remember(settings::Setting::OptCent, values[0].toStdString());
    program_->remember(settings::Setting::KLeft, values[1].toStdString());
    program_->remember(settings::Setting::KTop, values[2].toStdString());
    QCOMPARE(program_->open().pos(), expected);
}

void TestMainWindow::doubleClickEnds_data()
{
    QTest::addColumn<QString>("place");
    QTest::addColumn<bool>("asks");
    QTest::addColumn<QString>("optDbl");
    // clang-format off
    for (const char* place : {"background", "frame", "toolbar", "status bar"})
        QTest::addRow("on, %s", place) << place << true << "1";
    QTest::newRow("off") << "background" << false << "0";
    QTest::newRow("on, a box is not the frame") << "box" << false << "1";
    // clang-format on
}

void TestMainWindow::doubleClickEnds()
{
    QFETCH(QString, optDbl);
    QFETCH(QString, place);
    QFETCH(bool, asks);
    program_->remember(settings::Setting::OptDbl, optDbl.toStdString());
    ui::MainWindow& window = program_->open();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    program_->fake.messages.answers.enqueue(ui::MessageAnswer::Cancel);
    QWidget* target = window.prefectureBox(12);
    QPoint at(5, 5);
    if (place == "background") {
        target = window.background();
        at = QPoint(400, 100); // between Hokkaido and Tohoku
    } else if (place == "frame") {
        target = window.regionFrame(3);
        at = QPoint(5, target->height() - 5);
    } else if (place == "toolbar") {
        target = window.toolbar();
        at = QPoint(target->width() - 10, target->height() / 2);
    } else if (place == "status bar") {
        target = window.statusPanels();
    }
    QTest::mouseDClick(target, Qt::LeftButton, {}, at);
    QCOMPARE(program_->fake.messages.shown.size(), asks ? 1 : 0);
    QVERIFY(!asks || program_->fake.messages.shown[0].text == kQuestion);
}

void TestMainWindow::regionDialog_data()
{
    QTest::addColumn<TickSet>("ticked"); // on the main window
    QTest::addColumn<QString>("opened"); // the eight boxes and 全選択 as they open
    QTest::addColumn<QString>("how");    // what the user does in the dialog
    QTest::addColumn<TickSet>("after");  // the main window's ticks afterwards
    const TickSet some{12, 46};
    // clang-format off
    QTest::newRow("all 47") << range(0, 46) << "11111111 1" << "ok" << range(0, 46);
    QTest::newRow("関東 partly: 茨城 only") << TickSet{7} << "00000000 0" << "ok" << TickSet{};
    QTest::newRow("九州 up to 沖縄") << range(39, 46) << "00000001 0" << "ok" << range(39, 46);
    QTest::newRow("all but 沖縄") << range(0, 45) << "11111110 0" << "ok" << range(0, 38);
    QTest::newRow("関東 whole, 東北 without 福島") << range(7, 13, range(1, 5)) << "00100000 0" << "ok" << range(7, 13);
    QTest::newRow("関東 ticked, OK") << some << "00000000 0" << "kanto ok" << range(7, 13);
    QTest::newRow("関東 ticked, キャンセル") << some << "00000000 0" << "kanto cancel" << some;
    QTest::newRow("全選択, close box") << some << "00000000 0" << "all close" << some;
    QTest::newRow("全選択, ヘルプ, OK") << some << "00000000 0" << "all help ok" << range(0, 46);
    // clang-format on
}

// A region opens ticked where all its prefectures are, 全選択 where all
// regions are; OK sets every box to its region's, the others leave them.
void TestMainWindow::regionDialog()
{
    QFETCH(TickSet, ticked);
    QFETCH(QString, opened);
    QFETCH(QString, how);
    QFETCH(TickSet, after);
    ui::MainWindow& window = program_->open();
    window.setTicks(ticksOf(ticked));
    QString openedAs;
    bool helpLeftItOpen = false;
    testsupport::ModalDialogs dialogs([&](QDialog* d) {
        auto* dialog = qobject_cast<RegionDialog*>(d);
        QVERIFY(dialog && dialog->parentWidget() == &window);
        openedAs = boxes(*dialog);
        if (how.startsWith("kanto"))
            dialog->regionBox(2)->click();
        if (how.startsWith("all"))
            dialog->allBox()->click();
        if (how.contains("help")) {
            dialog->button(2)->click();
            helpLeftItOpen = dialog->isVisible() && dialog->allBox()->isChecked() &&
                             program_->fake.help.owners.value(0) == dialog;
        }
        if (how.endsWith("ok"))
            dialog->button(0)->click();
        else if (how.endsWith("cancel"))
            dialog->button(1)->click();
        else
            dialog->close();
    });
    testsupport::runCommand(window, "mnuEditSentaku_HiSentaku");
    QCOMPARE(dialogs.shown, QStringList{"ALLSELE"});
    QCOMPARE(openedAs, opened);
    QCOMPARE(window.ticks(), ticksOf(after));
    QVERIFY(program_->fake.messages.shown.isEmpty());
    QCOMPARE(helpLeftItOpen, how.contains("help"));
    QCOMPARE(program_->fake.help.shown,
             how.contains("help") ? QStringList{"context 10021"} : QStringList{});
}

// The region boxes follow 全選択; it does not follow them.
void TestMainWindow::regionDialogSelectAll()
{
    RegionDialog dialog(ticksOf(range(0, 46)), program_->fake.help, program_->fake.screen, nullptr);
    dialog.allBox()->click();
    QCOMPARE(boxes(dialog), QStringLiteral("00000000 0"));
    for (int r = 0; r < 8; ++r)
        dialog.regionBox(r)->click();
    QCOMPARE(boxes(dialog), QStringLiteral("11111111 0"));
    dialog.allBox()->click();
    dialog.regionBox(3)->click();
    QCOMPARE(boxes(dialog), QStringLiteral("11101111 1"));
}

void TestMainWindow::regionDialogLooks()
{
    const QColor yellow(255, 255, 0);
    RegionDialog dialog(Ticks{}, program_->fake.help, program_->fake.screen, nullptr);
    QCOMPARE(dialog.objectName() + " " + dialog.windowTitle(),
             QStringLiteral("ALLSELE 選択／非選択"));
    QCOMPARE(dialog.instruction()->text(),
             QStringLiteral("選択／非選択を選択し、OKﾎﾞﾀﾝを押して下さい。"));
    QCOMPARE(colour(dialog.instruction(), QPalette::WindowText), yellow);
    QCOMPARE(dialog.palette().color(QPalette::Window), QColor(128, 128, 128));

    // Each box the region's name, its tip built from it, in the region's colour.
    for (int r = 0; r < 9; ++r) {
        QCheckBox* box = r < 8 ? dialog.regionBox(r) : dialog.allBox();
        const QString caption = r < 8
                                    ? QString::fromUtf8(postal::kRegions[r].name.data(),
                                                        qsizetype(postal::kRegions[r].name.size()))
                                    : QStringLiteral("全選択");
        QCOMPARE(box->text() + "|" + box->toolTip(), caption + "| " + caption + " ");
        const postal::Rgb c = r < 8 ? postal::kRegions[r].colour : postal::Rgb{255, 255, 0};
        QCOMPARE(colour(box, QPalette::WindowText), QColor(c.r, c.g, c.b));
    }
    for (int i = 0; i < 3; ++i) {
        QPushButton* button = dialog.button(i);
        const QString text = QStringList{"OK", "キャンセル", "ヘルプ"}[i];
        QCOMPARE(button->text() + "|" + button->toolTip(), text + "| " + text + " ");
        QVERIFY(!button->isDefault() && !button->autoDefault());
    }
    // A fixed dialog border without minimise and maximise, centred.
    QCOMPARE(dialog.windowType(), Qt::Dialog);
    QVERIFY(
        !(dialog.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    QCOMPARE(dialog.minimumSize(), dialog.maximumSize());
    const QSize screen = program_->fake.screen.pixels;
    QCOMPARE(dialog.pos(), QPoint((screen.width() - dialog.width()) / 2,
                                  (screen.height() - dialog.height()) / 2));

    // Tab visits the nine boxes in index order, then the buttons.
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QStringList visited;
    for (int i = 0; i < 13; ++i) {
        visited << QApplication::focusWidget()->objectName();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    QCOMPARE(visited, (QStringList{"Check1_0", "Check1_1", "Check1_2", "Check1_3", "Check1_4",
                                   "Check1_5", "Check1_6", "Check1_7", "Check2", "Command1_0",
                                   "Command1_1", "Command1_2", "Check1_0"}));
}

QTEST_MAIN(TestMainWindow)
#include "TestMainWindow.moc"
