// The main window: what it looks like, what reaches its commands (toolbar
// buttons, shortcuts), what its status bar shows (hints, date and time), and
// loading and ending it: ticks, position, and what reaches the settings store
// in which order for each way of ending.

#include "ModalDialogs.h"
#include "RunningProgram.h"

#include "tests/postal/ListLines.h"
#include "ui/main/DateTimeText.h"
#include "ui/main/StatusBar.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QtTest/qtestspontaneevent.h>

using testsupport::MemorySettingsStore;
using testsupport::RunningProgram;
using Access = MemorySettingsStore::Access;

Q_DECLARE_METATYPE(ui::MessageAnswer)

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

QColor colour(const QWidget* w, QPalette::ColorRole role) { return w->palette().color(role); }

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
    void ticksSurviveRestart();
    void position_data();
    void position();
    void doubleClickEnds_data();
    void doubleClickEnds();

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
    QCOMPARE(window.background()->grab().toImage().pixelColor(400, 100), grey);  // between the frames
    for (int r = 0; r < postal::kRegionCount; ++r) {
        const postal::Region& region = postal::kRegions[r];
        const QColor coloured(region.colour.r, region.colour.g, region.colour.b);
        QGroupBox* frame = window.regionFrame(r);
        const QString name = " " + QString::fromUtf8(region.name.data(), qsizetype(region.name.size())) + " ";
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
        QCOMPARE(actions[button - 1]->isSeparator(), button == 1 || button == 3 || button == 8 || button == 10);
        actions[button - 1]->trigger();
    }
    window.clickToolbarButton(button);

    const auto& shown = program_->fake.messages.shown;
    QCOMPARE(shown.size(), button == 2 ? 2 : 0);
    QVERIFY(shown.isEmpty() || shown[0].title == QStringLiteral("指定確認"));
    QCOMPARE(program_->fake.help.shown, (button == 12 ? QStringList{"contents", "contents"} : QStringList()));
    QStringList choosers;
    for (const ui::FileDialogRequest& asked : program_->fake.files.asked)
        choosers << asked.title;
    const QMap<int, QString> chooserOf{{4, "ｺﾋﾟｰするﾌｧｲﾙを選択"}, {5, "名前を変更するﾌｧｲﾙを選択"}, {7, "削除するﾌｧｲﾙを選択"}};
    QCOMPARE(choosers, chooserOf.contains(button) ? QStringList(2, chooserOf[button]) : QStringList());
    const QMap<int, QString> dialogOf{{6, "ALLSELE"}, {9, "SETTEI"}, {11, "INFO_VER"}};
    QCOMPARE(dialogs.shown, dialogOf.contains(button) ? QStringList(2, dialogOf[button]) : QStringList());
}

void TestMainWindow::shortcuts()
{
    ui::MainWindow& window = program_->open();
    window.show();
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
    QTest::mouseMove(tokyo, QPoint(5, 5));
    QTRY_COMPARE(bar->panelText(1), QStringLiteral(" 東京都 "));
    QVERIFY(!bar->listLabel()->isVisible());
    QTest::mouseMove(tokyo, QPoint(20, 6)); // still on the box: not its frame's name
    QTRY_COMPARE(bar->panelText(1), QStringLiteral(" 東京都 "));
    QTest::mouseMove(kanto, QPoint(kanto->width() - 5, kanto->height() - 5));
    QTRY_COMPARE(bar->panelText(1), QStringLiteral(" 関東地方 "));
    QTest::mouseMove(window.background(), QPoint(400, 100));
    QTRY_COMPARE(bar->panelText(1), QString());
    QVERIFY(bar->listLabel()->isVisible());
}

void TestMainWindow::dateTimeTexts()
{
    const std::tuple<QDate, QTime, const char*> moments[] = {
        {{2007, 3, 5}, {0, 30, 59}, "2007/03/05 午前 12:30"}, {{2007, 12, 25}, {15, 7, 59}, "2007/12/25 午後 03:07"},
        {{2007, 12, 25}, {12, 0}, "2007/12/25 午後 12:00"},  {{2008, 1, 1}, {0, 0}, "2008/01/01 午前 12:00"}};
    for (const auto& [day, time, shown] : moments)
        QCOMPARE(ui::dateText(day) + " " + ui::timeText(time, QLocale(QLocale::Japanese, QLocale::Japan)), QString(shown));
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
    QTest::newRow("end command, OK") << "command" << ok << true << true << true;
    QTest::newRow("end command, Cancel") << "command" << cancel << true << false << true;
    QTest::newRow("close box, OK") << "close box" << ok << true << true << true;
    QTest::newRow("close box, Cancel") << "close box" << cancel << true << false << false;
    QTest::newRow("program's own close") << "program" << ok << false << false << true;
    QTest::newRow("session end, OK") << "session" << ok << true << true << true;
    QTest::newRow("session end, Cancel") << "session" << cancel << true << false << false;
    QTest::newRow("session end, may not ask") << "session, no asking" << cancel << false << false << true;
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
        QVERIFY(asked.icon == ui::MessageIcon::Question && asked.buttons == ui::MessageButtons::OkCancel);
    }
    // The position always, K_Top first; the ticks, in order, only once the end is confirmed.
    std::vector<Access> expected = {{"Position", "K_Top", "1800"}, {"Position", "K_Left", "3600"}};
    for (int i = 0; storesTicks && i < 47; ++i)
        expected.push_back({"Ken_on_off", "Ken_OnOff(" + std::to_string(i) + ")", i == 12 || i == 46 ? "0" : "1"});
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
    QVERIFY(warning.icon == ui::MessageIcon::Warning && warning.text.endsWith(QStringLiteral("　")));
    QCOMPARE(warning.title, QStringLiteral("設定確認"));
    QCOMPARE(program_->fake.endCount, 1);
}

void TestMainWindow::ticksSurviveRestart()
{
    ui::Ticks chosen{};
    ui::MainWindow& window = program_->open();
    for (int i = 0; i < 47; ++i) {
        chosen[i] = i % 3 == 0;
        window.prefectureBox(i)->setChecked(chosen[i]);
    }
    window.requestEnd();
    program_.reset();
    RunningProgram second(*store_, folder_.path());
    QVERIFY(second.open().ticks() == chosen);
}

void TestMainWindow::position_data()
{
    QTest::addColumn<double>("dpi");
    QTest::addColumn<QString>("stored"); // OptCent,K_Left,K_Top
    QTest::addColumn<QPoint>("expected");
    QTest::addColumn<QRect>("second"); // another screen, or none
    // A 1280 x 1024 screen is 19200 x 15360 twips at 96 DPI, 15360 x 12288 at 120.
    const QRect none, right(1280, 0, 1920, 1080);
    QTest::newRow("stored") << 96.0 << "0,1500,750" << QPoint(100, 50) << none;
    QTest::newRow("centred") << 96.0 << "1,1500,750" << QPoint(240, 212) << none;
    QTest::newRow("stored, 120") << 120.0 << "0,1500,720" << QPoint(125, 60) << none;
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
    for (const char* place : {"background", "frame", "toolbar", "status bar"})
        QTest::addRow("on, %s", place) << place << true << "1";
    QTest::newRow("off") << "background" << false << "0";
    QTest::newRow("other text is off") << "background" << false << "2";
    QTest::newRow("on, a box is not the frame") << "box" << false << "1";
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

QTEST_MAIN(TestMainWindow)
#include "TestMainWindow.moc"
