// Loading and ending the main window: ticks, position, and what reaches the
// settings store in which order for each way of ending.

#include "RunningProgram.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QTest>
#include <QToolBar>
#include <QtTest/qtestspontaneevent.h>

#include "ui/main/StatusBar.h"

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

} // namespace

class TestMainWindowLifecycle : public QObject
{
    Q_OBJECT

private slots:
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
};

void TestMainWindowLifecycle::ending_data()
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
    QTest::newRow("session end, may not ask")
        << "session, no asking" << cancel << false << false << true;
}

void TestMainWindowLifecycle::ending()
{
    QFETCH(QString, how);
    QFETCH(ui::MessageAnswer, answer);
    QFETCH(bool, asks);
    QFETCH(bool, storesTicks);
    QFETCH(bool, letsGo);
    MemorySettingsStore store;
    RunningProgram program(store, folder_.path());
    program.fake.screen.dpi = 120; // 12 twips a pixel
    ui::MainWindow& window = program.open();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.move(300, 150);
    window.prefectureBox(12)->setChecked(false);
    window.prefectureBox(46)->setChecked(false);
    store.clearLog();
    program.fake.messages.answers.enqueue(answer);

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
    QCOMPARE(program.fake.messages.shown.size(), asks ? 1 : 0);
    if (asks) {
        const ui::MessageRequest& asked = program.fake.messages.shown[0];
        QCOMPARE(asked.text, kQuestion);
        QCOMPARE(asked.title, QStringLiteral("終了確認"));
        QCOMPARE(asked.icon, ui::MessageIcon::Question);
        QCOMPARE(asked.buttons, ui::MessageButtons::OkCancel);
    }
    // The position always, K_Top first; the ticks, in order, only once the end is confirmed.
    std::vector<Access> expected = {{"Position", "K_Top", "1800"}, {"Position", "K_Left", "3600"}};
    for (int i = 0; storesTicks && i < 47; ++i)
        expected.push_back(
            {"Ken_on_off", "Ken_OnOff(" + std::to_string(i) + ")", i == 12 || i == 46 ? "0" : "1"});
    QVERIFY(store.writes() == expected);
    QCOMPARE(program.state->settings().text(settings::Setting::KLeft), std::string("3600"));
    if (storesTicks)
        QCOMPARE(store.flushCount(), 1);
    QCOMPARE(program.fake.endCount, storesTicks ? 1 : 0);
    if (!storesTicks)
        return;
    // Once confirmed, the window goes away without asking or storing again.
    QVERIFY(closeBox(window) && window.sessionEnding(true) && window.close());
    QCOMPARE(program.fake.messages.shown.size(), 1);
    QCOMPARE(store.writes().size(), expected.size());
    QCOMPARE(program.fake.endCount, 1);
}

void TestMainWindowLifecycle::failedFlushIsReported()
{
    MemorySettingsStore store;
    RunningProgram program(store, folder_.path());
    ui::MainWindow& window = program.open();
    store.setFlushResult(false);

    window.requestEnd();

    QCOMPARE(program.fake.messages.shown.size(), 2);
    const ui::MessageRequest& warning = program.fake.messages.shown[1];
    QCOMPARE(warning.icon, ui::MessageIcon::Warning);
    QCOMPARE(warning.title, QStringLiteral("設定確認"));
    QVERIFY(warning.text.endsWith(QStringLiteral("　")));
    QCOMPARE(program.fake.endCount, 1);
}

void TestMainWindowLifecycle::ticksSurviveRestart()
{
    MemorySettingsStore store;
    ui::Ticks chosen{};
    {
        RunningProgram first(store, folder_.path());
        ui::MainWindow& window = first.open();
        for (int i = 0; i < 47; ++i) {
            chosen[i] = i % 3 == 0;
            window.prefectureBox(i)->setChecked(chosen[i]);
        }
        window.requestEnd();
    }
    RunningProgram second(store, folder_.path());
    QVERIFY(second.open().ticks() == chosen);
}

void TestMainWindowLifecycle::position_data()
{
    QTest::addColumn<double>("dpi");
    QTest::addColumn<QString>("stored"); // OptCent,K_Left,K_Top
    QTest::addColumn<QPoint>("expected");
    QTest::addColumn<QRect>("second"); // another screen, or none
    // A 1280 x 1024 screen is 19200 x 15360 twips at 96 DPI, 15360 x 12288 at 120.
    const QRect none;
    const QRect right(1280, 0, 1920, 1080);
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

void TestMainWindowLifecycle::position()
{
    QFETCH(double, dpi);
    QFETCH(QString, stored);
    QFETCH(QPoint, expected);
    QFETCH(QRect, second);
    MemorySettingsStore store;
    RunningProgram program(store, folder_.path());
    program.fake.screen.dpi = dpi;
    if (!second.isNull())
        program.fake.screen.others.append(second);
    const QStringList values = stored.split(',');
    program.remember(settings::Setting::OptCent, values[0].toStdString());
    program.remember(settings::Setting::KLeft, values[1].toStdString());
    program.remember(settings::Setting::KTop, values[2].toStdString());
    QCOMPARE(program.open().pos(), expected);
}

void TestMainWindowLifecycle::doubleClickEnds_data()
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

void TestMainWindowLifecycle::doubleClickEnds()
{
    QFETCH(QString, optDbl);
    QFETCH(QString, place);
    QFETCH(bool, asks);
    MemorySettingsStore store;
    RunningProgram program(store, folder_.path());
    program.remember(settings::Setting::OptDbl, optDbl.toStdString());
    ui::MainWindow& window = program.open();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    program.fake.messages.answers.enqueue(ui::MessageAnswer::Cancel);

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

    QCOMPARE(program.fake.messages.shown.size(), asks ? 1 : 0);
    if (asks)
        QCOMPARE(program.fake.messages.shown[0].text, kQuestion);
}

QTEST_MAIN(TestMainWindowLifecycle)
#include "TestMainWindowLifecycle.moc"
