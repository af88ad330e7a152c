// The status bar: date and time texts, the clock's timer, and the hints.

#include "RunningProgram.h"

#include "ui/main/StatusBar.h"

#include <QCheckBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QTest>
#include <QTimer>
#include <QToolBar>

using testsupport::MemorySettingsStore;
using testsupport::RunningProgram;

class TestStatusBarClock : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void texts_data();
    void texts();
    void panels();
    void timerRefreshesPanels();
    void clockRunsUnderModalDialog();
    void hints();

private:
    testsupport::TempDir folder_;
    std::unique_ptr<MemorySettingsStore> store_;
    std::unique_ptr<RunningProgram> program_;
    ui::MainWindow* window_ = nullptr;
};

void TestStatusBarClock::init()
{
    store_ = std::make_unique<MemorySettingsStore>();
    program_ = std::make_unique<RunningProgram>(*store_, folder_.path());
    window_ = &program_->open();
}

void TestStatusBarClock::cleanup()
{
    program_.reset();
    store_.reset();
}

void TestStatusBarClock::texts_data()
{
    QTest::addColumn<QDateTime>("moment");
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("date");
    QTest::addColumn<QString>("time");
    const QLocale ja(QLocale::Japanese, QLocale::Japan);
    const QLocale en(QLocale::English, QLocale::UnitedStates);
    auto at = [](int y, int mo, int d, int h, int mi) {
        return QDateTime(QDate(y, mo, d), QTime(h, mi, 59));
    };
    QTest::newRow("half past midnight") << at(2007, 3, 5, 0, 30) << ja << "2007/03/05"
                                        << "午前 12:30";
    QTest::newRow("afternoon") << at(2007, 12, 25, 15, 7) << ja << "2007/12/25"
                               << "午後 03:07";
    QTest::newRow("noon") << at(2007, 12, 25, 12, 0) << ja << "2007/12/25"
                          << "午後 12:00";
    QTest::newRow("before noon") << at(2007, 12, 25, 11, 59) << ja << "2007/12/25"
                                 << "午前 11:59";
    QTest::newRow("last minute of the year") << at(2007, 12, 31, 23, 59) << ja << "2007/12/31"
                                             << "午後 11:59";
    QTest::newRow("new year") << at(2008, 1, 1, 0, 0) << ja << "2008/01/01"
                              << "午前 12:00";
    QTest::newRow("designators of the locale") << at(2008, 1, 1, 15, 7) << en << "2008/01/01"
                                               << "PM 03:07";
}

void TestStatusBarClock::texts()
{
    QFETCH(QDateTime, moment);
    QFETCH(QLocale, locale);
    QFETCH(QString, date);
    QFETCH(QString, time);
    app::ProgramState state;
    ui::SetDateTime(state, moment, locale);
    QCOMPARE(QString::fromStdString(state.nowDate), date);
    QCOMPARE(QString::fromStdString(state.nowTime), time);
}

void TestStatusBarClock::panels()
{
    ui::StatusBar* bar = window_->StatusBar1();
    QCOMPARE(bar->panel(1)->x() + bar->panel(1)->width() <= bar->panel(2)->x(), true);
    // 9660, 1100 and 1100 twips at 96 DPI, less the sunken border's gap.
    QCOMPARE(bar->panel(1)->width() + 2, 644);
    QCOMPARE(bar->panel(2)->width() + 2, 73);
    QCOMPARE(bar->panel(3)->width() + 2, 73);
    QVERIFY(bar->panelText(1).isEmpty());
    // The longest texts fit their panels.
    for (int panel : {2, 3}) {
        const QLabel* label = bar->panel(panel);
        QVERIFY2(label->sizeHint().width() <= label->width(), qPrintable(label->text()));
    }
}

void TestStatusBarClock::timerRefreshesPanels()
{
    QTimer* timer = window_->Timer1();
    QCOMPARE(timer->interval(), 1000);
    QVERIFY(timer->isActive());

    program_->fake.clock.time = QDateTime(QDate(2007, 12, 31), QTime(23, 59, 59));
    window_->Timer1_Timer();
    QCOMPARE(window_->StatusBar1()->panelText(2), QStringLiteral("2007/12/31"));
    // Past midnight the date follows within a second.
    program_->fake.clock.time = QDateTime(QDate(2008, 1, 1), QTime(0, 0, 0));
    QTRY_COMPARE_WITH_TIMEOUT(window_->StatusBar1()->panelText(2), QStringLiteral("2008/01/01"),
                              1500);
    QCOMPARE(window_->StatusBar1()->panelText(3), QStringLiteral("午前 12:00"));
    QCOMPARE(QString::fromStdString(program_->state.nowTime), QStringLiteral("午前 12:00"));
}

void TestStatusBarClock::clockRunsUnderModalDialog()
{
    window_->show();
    program_->fake.clock.time = QDateTime(QDate(2009, 2, 3), QTime(4, 5));
    QString shownWhileModal;
    QDialog dialog(window_);
    QTimer::singleShot(1300, &dialog, [&] {
        shownWhileModal = window_->StatusBar1()->panelText(3);
        dialog.reject();
    });
    dialog.exec();
    QCOMPARE(shownWhileModal, QStringLiteral("午前 04:05"));
}

void TestStatusBarClock::hints()
{
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_));
    ui::StatusBar* bar = window_->StatusBar1();
    QGroupBox* kanto = window_->Frame1(2);
    QCheckBox* tokyo = window_->Check1(12);

    QTest::mouseMove(tokyo, QPoint(5, 5));
    QTRY_COMPARE(bar->panelText(1), QStringLiteral(" 東京都 "));
    QTest::mouseMove(tokyo, QPoint(20, 6)); // still on the box: not its frame's name
    QTRY_COMPARE(bar->panelText(1), QStringLiteral(" 東京都 "));
    QTest::mouseMove(kanto, QPoint(kanto->width() - 5, kanto->height() - 5));
    QTRY_COMPARE(bar->panelText(1), QStringLiteral(" 関東地方 "));
    QTest::mouseMove(window_->Check1(0), QPoint(5, 5));
    QTRY_COMPARE(bar->panelText(1), QStringLiteral(" 北海道 "));
    QTest::mouseMove(window_->background(), QPoint(400, 100));
    QTRY_COMPARE(bar->panelText(1), QString());
    QTest::mouseMove(window_->Frame1(0), QPoint(window_->Frame1(0)->width() - 3, 5));
    QTRY_COMPARE(bar->panelText(1), QStringLiteral(" 北海道地方 "));
    // The toolbar leaves the last hint standing.
    QTest::mouseMove(window_->Toolbar1(), QPoint(300, 10));
    QTest::qWait(50);
    QCOMPARE(bar->panelText(1), QStringLiteral(" 北海道地方 "));

    for (int i = 0; i < 47; ++i)
        QCOMPARE(window_->Check1(i)->toolTip(),
                 QStringLiteral(" %1 ").arg(window_->Check1(i)->text()));
    for (int r = 0; r < 8; ++r) {
        const QString caption = window_->Frame1(r)->title();
        QVERIFY(caption.size() > 2 && caption.startsWith(' ') && caption.endsWith(' ') &&
                caption[1] != ' ');
        QCOMPARE(window_->Frame1(r)->toolTip(), caption);
    }
}

QTEST_MAIN(TestStatusBarClock)
#include "TestStatusBarClock.moc"
