// Loading and ending the main window: ticks, position, and what reaches the
// settings store in which order for each way of ending.

#include "RunningProgram.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QStatusBar>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTest>
#include <QToolBar>
#include <QWindow>
#include <QtTest/qtestspontaneevent.h>

#include "ui/main/RegionFrame.h"
#include "ui/main/StatusBar.h"

using testsupport::MemorySettingsStore;
using testsupport::RunningProgram;
using Access = MemorySettingsStore::Access;

namespace {

const QString kQuestion = QStringLiteral("「vevoz君 for Windows」 を終了しますか？　");

std::vector<Access> positionWrites(const std::string& top, const std::string& left)
{
    return {{"Position", "K_Top", top}, {"Position", "K_Left", left}};
}

std::vector<Access> tickWrites(const ui::Ticks& ticks)
{
    std::vector<Access> writes;
    for (int i = 0; i < 47; ++i)
        writes.push_back(
            {"Ken_on_off", "Ken_OnOff(" + std::to_string(i) + ")", ticks[i] ? "1" : "0"});
    return writes;
}

template <typename T> std::vector<T> joined(std::vector<T> a, const std::vector<T>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

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
    void storedTickTexts_data();
    void storedTickTexts();
    void loadFillsRegionTableAndClearsSelectedFile();

    void endCommandOkWritesPositionThenTicks();
    void endCommandCancelWritesOnlyPosition();
    void closeBoxAsksLikeTheEndCommand();
    void programCloseAsksNothing();
    void confirmedEndAsksOnlyOnce();
    void sessionEnd();
    void failedFlushIsReported();
    void ticksSurviveRestart();

    void position_data();
    void position();
    void positionIsSavedInTwips();

    void doubleClickEnds_data();
    void doubleClickEnds();

    void layoutHoldsAt96Dpi();

private:
    testsupport::TempDir folder_;
};

void TestMainWindowLifecycle::storedTickTexts_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ticked");
    QTest::newRow("one") << "1" << true;
    QTest::newRow("zero") << "0" << false;
    QTest::newRow("two counts as ticked") << "2" << true;
    QTest::newRow("rounded down") << "0.4" << false;
    QTest::newRow("rounded up") << "0.6" << true;
    QTest::newRow("not a number") << "x" << false;
}

void TestMainWindowLifecycle::storedTickTexts()
{
    QFETCH(QString, text);
    QFETCH(bool, ticked);
    MemorySettingsStore store;
    store.preset("Ken_on_off", "Ken_OnOff(5)", text.toStdString());
    store.preset("Ken_on_off", "Ken_OnOff(6)", "0");
    RunningProgram program(store, folder_.path());
    ui::MainWindow& window = program.open();
    QCOMPARE(window.Check1(5)->isChecked(), ticked);
    QCOMPARE(window.Check1(6)->isChecked(), false);
    QCOMPARE(window.Check1(7)->isChecked(), true); // missing: ticked
}

void TestMainWindowLifecycle::loadFillsRegionTableAndClearsSelectedFile()
{
    MemorySettingsStore store;
    RunningProgram program(store, folder_.path());
    program.state.selectedFile = "/tmp/left-over.csv";
    store.clearLog();
    ui::MainWindow& window = program.open();

    QVERIFY(program.state.selectedFile.empty());
    const std::array<int, 8> first = {0, 1, 7, 14, 23, 30, 35, 39};
    const std::array<int, 8> last = {0, 6, 13, 22, 29, 34, 38, 46};
    const std::array<int, 8> count = {1, 6, 7, 9, 7, 5, 4, 8};
    for (int r = 0; r < 8; ++r) {
        QCOMPARE(program.state.regions.first[r], first[r]);
        QCOMPARE(program.state.regions.last[r], last[r]);
        QCOMPARE(program.state.regions.count[r], count[r]);
    }
    QCOMPARE(window.StatusBar1()->panelText(2), QStringLiteral("2007/03/05"));
    QCOMPARE(window.StatusBar1()->panelText(3), QStringLiteral("午後 03:07"));
    QVERIFY(store.writes().empty()); // loading writes nothing
}

void TestMainWindowLifecycle::endCommandOkWritesPositionThenTicks()
{
    MemorySettingsStore store;
    RunningProgram program(store, folder_.path());
    ui::MainWindow& window = program.open();
    window.move(300, 150);
    window.Check1(12)->setChecked(false);
    window.Check1(46)->setChecked(false);
    store.clearLog();

    window.findChild<QAction*>("mnuFileEnd")->trigger();

    QCOMPARE(program.fake.messages.shown.size(), 1);
    const ui::MessageRequest& asked = program.fake.messages.shown[0];
    QCOMPARE(asked.text, kQuestion);
    QCOMPARE(asked.title, QStringLiteral("終了確認"));
    QCOMPARE(asked.icon, ui::MessageIcon::Question);
    QCOMPARE(asked.buttons, ui::MessageButtons::OkCancel);

    ui::Ticks ticks;
    ticks.fill(true);
    ticks[12] = ticks[46] = false;
    QVERIFY(store.writes() == joined(positionWrites("2250", "4500"), tickWrites(ticks)));
    QCOMPARE(store.flushCount(), 1);
    QCOMPARE(program.fake.endCount, 1);
}

void TestMainWindowLifecycle::endCommandCancelWritesOnlyPosition()
{
    MemorySettingsStore store;
    RunningProgram program(store, folder_.path());
    ui::MainWindow& window = program.open();
    window.show();
    window.move(45, 30);
    window.Check1(0)->setChecked(false);
    store.clearLog();
    program.fake.messages.answers.enqueue(ui::MessageAnswer::Cancel);

    window.mnuFileEnd_Click();

    QVERIFY(store.writes() == positionWrites("450", "675"));
    QCOMPARE(store.read("Ken_on_off", "Ken_OnOff(0)"), std::string("1"));
    QCOMPARE(program.fake.endCount, 0);
    QVERIFY(window.isVisible());
}

void TestMainWindowLifecycle::closeBoxAsksLikeTheEndCommand()
{
    MemorySettingsStore store;
    RunningProgram program(store, folder_.path());
    ui::MainWindow& window = program.open();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.Check1(3)->setChecked(false);
    store.clearLog();

    // Cancel keeps the window open and stores the position only.
    program.fake.messages.answers.enqueue(ui::MessageAnswer::Cancel);
    QVERIFY(!closeBox(window));
    QCOMPARE(program.fake.messages.shown.size(), 1);
    QCOMPARE(program.fake.messages.shown[0].text, kQuestion);
    QCOMPARE(store.writes().size(), std::size_t(2));
    QCOMPARE(program.fake.endCount, 0);

    // OK stores the position again, then the ticks, and ends.
    store.clearLog();
    QVERIFY(closeBox(window));
    QCOMPARE(program.fake.messages.shown.size(), 2);
    QCOMPARE(store.writes().size(), std::size_t(2 + 47));
    QCOMPARE(store.read("Ken_on_off", "Ken_OnOff(3)"), std::string("0"));
    QCOMPARE(program.fake.endCount, 1);
}

void TestMainWindowLifecycle::programCloseAsksNothing()
{
    MemorySettingsStore store;
    RunningProgram program(store, folder_.path());
    ui::MainWindow& window = program.open();
    window.show();
    window.move(15, 15);
    window.Check1(3)->setChecked(false);
    store.clearLog();

    QVERIFY(window.close());

    QVERIFY(program.fake.messages.shown.isEmpty());
    QVERIFY(store.writes() == positionWrites("225", "225"));
    QCOMPARE(program.fake.endCount, 0);
}

void TestMainWindowLifecycle::confirmedEndAsksOnlyOnce()
{
    MemorySettingsStore store;
    RunningProgram program(store, folder_.path());
    ui::MainWindow& window = program.open();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    window.mnuFileEnd_Click();
    const std::size_t writes = store.writes().size();
    // The window still goes away afterwards, by the user's hand or the program's.
    QVERIFY(closeBox(window));
    QVERIFY(window.close());

    QCOMPARE(program.fake.messages.shown.size(), 1);
    QCOMPARE(store.writes().size(), writes);
}

void TestMainWindowLifecycle::sessionEnd()
{
    MemorySettingsStore store;
    RunningProgram program(store, folder_.path());
    ui::MainWindow& window = program.open();
    window.Check1(10)->setChecked(false);
    store.clearLog();

    // Cancel refuses the log-off and keeps the stored ticks.
    program.fake.messages.answers.enqueue(ui::MessageAnswer::Cancel);
    QCOMPARE(window.sessionEnding(true), false);
    QCOMPARE(program.fake.messages.shown.size(), 1);
    QCOMPARE(program.fake.messages.shown[0].text, kQuestion);
    QCOMPARE(store.writes().size(), std::size_t(2));

    // Without a chance to ask: no question, position kept, ticks untouched.
    store.clearLog();
    QCOMPARE(window.sessionEnding(false), true);
    QCOMPARE(program.fake.messages.shown.size(), 1);
    QCOMPARE(store.writes().size(), std::size_t(2));

    // OK lets it go and keeps the ticks.
    store.clearLog();
    QCOMPARE(window.sessionEnding(true), true);
    QCOMPARE(store.writes().size(), std::size_t(2 + 47));
    QCOMPARE(store.read("Ken_on_off", "Ken_OnOff(10)"), std::string("0"));
    QCOMPARE(program.fake.endCount, 1);
}

void TestMainWindowLifecycle::failedFlushIsReported()
{
    MemorySettingsStore store;
    RunningProgram program(store, folder_.path());
    ui::MainWindow& window = program.open();
    store.setFlushResult(false);

    window.mnuFileEnd_Click();

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
            window.Check1(i)->setChecked(chosen[i]);
        }
        window.mnuFileEnd_Click();
        QCOMPARE(first.fake.endCount, 1);
    }
    {
        // A close by the program in between changes nothing.
        RunningProgram second(store, folder_.path());
        ui::MainWindow& window = second.open();
        QVERIFY(window.ticks() == chosen);
        window.show();
        window.Check1(1)->setChecked(true);
        window.close();
    }
    RunningProgram third(store, folder_.path());
    QVERIFY(third.open().ticks() == chosen);
}

void TestMainWindowLifecycle::position_data()
{
    QTest::addColumn<QString>("optCent");
    QTest::addColumn<QString>("left");
    QTest::addColumn<QString>("top");
    QTest::addColumn<double>("dpi");
    QTest::addColumn<QPoint>("expected");
    // A 1280 x 1024 screen at 96 DPI is 19200 x 15360 twips.
    QTest::newRow("stored") << "0"
                            << "1500"
                            << "750" << 96.0 << QPoint(100, 50);
    QTest::newRow("centred") << "1"
                             << "1500"
                             << "750" << 96.0 << QPoint(240, 212);
    QTest::newRow("off screen stays") << "0"
                                      << "60000"
                                      << "30000" << 96.0 << QPoint(4000, 2000);
    QTest::newRow("not a number centres") << "0"
                                          << "abc"
                                          << "750" << 96.0 << QPoint(240, 50);
    QTest::newRow("fraction") << "0"
                              << "1500.6"
                              << "0" << 96.0 << QPoint(100, 0);
    // At 120 DPI the same screen is 15360 x 12288 twips.
    QTest::newRow("stored 120 dpi") << "0"
                                    << "1500"
                                    << "720" << 120.0 << QPoint(125, 60);
    QTest::newRow("centred 120 dpi") << "1"
                                     << ""
                                     << "" << 120.0 << QPoint(140, 137);
}

void TestMainWindowLifecycle::position()
{
    QFETCH(QString, optCent);
    QFETCH(QString, left);
    QFETCH(QString, top);
    QFETCH(double, dpi);
    QFETCH(QPoint, expected);
    MemorySettingsStore store;
    RunningProgram program(store, folder_.path());
    program.fake.screen.dpi = dpi;
    program.state.copies.optCent = optCent.toStdString();
    program.state.copies.kLeft = left.toStdString();
    program.state.copies.kTop = top.toStdString();
    QCOMPARE(program.open().pos(), expected);
}

void TestMainWindowLifecycle::positionIsSavedInTwips()
{
    MemorySettingsStore store;
    RunningProgram program(store, folder_.path());
    program.fake.screen.dpi = 120;
    ui::MainWindow& window = program.open();
    window.move(123, 45);
    store.clearLog();
    program.fake.messages.answers.enqueue(ui::MessageAnswer::Cancel);
    window.mnuFileEnd_Click();
    QVERIFY(store.writes() == positionWrites("540", "1476"));
    QCOMPARE(program.state.copies.kLeft, std::string("1476"));
}

void TestMainWindowLifecycle::doubleClickEnds_data()
{
    QTest::addColumn<QString>("optDbl");
    QTest::addColumn<QString>("place");
    QTest::addColumn<int>("questions");
    for (const char* place : {"background", "frame", "toolbar", "statusbar"}) {
        QTest::newRow(qPrintable(QStringLiteral("on %1").arg(place))) << "1" << place << 1;
        QTest::newRow(qPrintable(QStringLiteral("off %1").arg(place))) << "0" << place << 0;
    }
    QTest::newRow("on, a box is not the frame") << "1"
                                                << "box" << 0;
    QTest::newRow("other text is off") << "2"
                                       << "background" << 0;
}

void TestMainWindowLifecycle::doubleClickEnds()
{
    QFETCH(QString, optDbl);
    QFETCH(QString, place);
    QFETCH(int, questions);
    MemorySettingsStore store;
    RunningProgram program(store, folder_.path());
    program.state.copies.optDbl = optDbl.toStdString();
    ui::MainWindow& window = program.open();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    program.fake.messages.answers.enqueue(ui::MessageAnswer::Cancel);

    QWidget* target = nullptr;
    QPoint at(5, 5);
    if (place == "background") {
        target = window.background();
        at = QPoint(400, 100); // between Hokkaido and Tohoku
    } else if (place == "frame") {
        target = window.Frame1(3);
        at = QPoint(5, target->height() - 5);
    } else if (place == "toolbar") {
        target = window.Toolbar1();
        at = QPoint(target->width() - 10, target->height() / 2);
    } else if (place == "statusbar") {
        target = window.StatusBar1();
    } else {
        target = window.Check1(12);
    }
    QVERIFY(!target->childAt(at) || place == "statusbar");
    QTest::mouseDClick(target, Qt::LeftButton, {}, at);

    QCOMPARE(program.fake.messages.shown.size(), questions);
    if (questions)
        QCOMPARE(program.fake.messages.shown[0].text, kQuestion);
    QCOMPARE(program.fake.endCount, 0);
}

void TestMainWindowLifecycle::layoutHoldsAt96Dpi()
{
    MemorySettingsStore store;
    RunningProgram program(store, folder_.path());
    ui::MainWindow& window = program.open();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QWidget* client = window.centralWidget();
    QCOMPARE(client->size(), QSize(792, 546));

    const QRect toolbar = window.Toolbar1()->geometry();
    const QRect status = window.StatusBar1()->geometry();
    QCOMPARE(status.bottom(), client->height() - 1);
    QVERIFY(!toolbar.intersects(status));

    for (int r = 0; r < 8; ++r) {
        const QRect frame = window.Frame1(r)->geometry();
        QVERIFY2(client->rect().contains(frame), qPrintable(QString::number(r)));
        // The caption on the top line stays inside its frame and clear of the boxes.
        const auto* regionFrame = dynamic_cast<const ui::RegionFrame*>(window.Frame1(r));
        QVERIFY(regionFrame);
        const QRect caption = regionFrame->captionRect();
        QVERIFY2(regionFrame->rect().contains(caption), qPrintable(QString::number(r)));
        for (const QCheckBox* box : regionFrame->findChildren<QCheckBox*>())
            QVERIFY2(!caption.intersects(box->geometry()), qPrintable(box->objectName()));
        QVERIFY2(!frame.intersects(toolbar) && !frame.intersects(status),
                 qPrintable(QString::number(r)));
        for (int other = r + 1; other < 8; ++other)
            QVERIFY2(!frame.intersects(window.Frame1(other)->geometry()),
                     qPrintable(QString::number(other)));
    }
    for (int i = 0; i < 47; ++i) {
        QCheckBox* box = window.Check1(i);
        const QString where = box->objectName();
        QVERIFY2(box->parentWidget()->rect().contains(box->geometry()), qPrintable(where));
        // The whole caption fits beside the tick square.
        QStyleOptionButton option;
        option.initFrom(box);
        option.text = box->text();
        const QRect caption =
            box->style()->subElementRect(QStyle::SE_CheckBoxContents, &option, box);
        QVERIFY2(caption.width() >= box->fontMetrics().horizontalAdvance(box->text()),
                 qPrintable(where));
        QVERIFY2(box->height() >= box->fontMetrics().height(), qPrintable(where));
        for (int j = i + 1; j < 47; ++j) {
            if (window.Check1(j)->parentWidget() == box->parentWidget())
                QVERIFY2(!box->geometry().intersects(window.Check1(j)->geometry()),
                         qPrintable(where + " " + window.Check1(j)->objectName()));
        }
    }
}

QTEST_MAIN(TestMainWindowLifecycle)
#include "TestMainWindowLifecycle.moc"
