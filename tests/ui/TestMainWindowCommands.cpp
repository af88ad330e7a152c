// What reaches the running window's commands (toolbar buttons, shortcuts)
// and what its status bar shows (hints, date and time).

#include "RunningProgram.h"

#include "ui/main/DateTimeText.h"
#include "ui/main/StatusBar.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QGroupBox>
#include <QTest>
#include <QTimer>
#include <QToolBar>

namespace {

// Runs `act`, closing each modal window it opens; returns their names.
QStringList closingModalWindows(const std::function<void()>& act)
{
    QStringList opened;
    QTimer closer;
    closer.setInterval(0);
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            opened << dialog->objectName();
            dialog->done(QDialog::Rejected);
        }
    });
    closer.start();
    act();
    return opened;
}

} // namespace

class TestMainWindowCommands : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void toolbar_data();
    void toolbar();
    void shortcuts();
    void hints();
    void dateTimeTexts_data();
    void dateTimeTexts();
    void clockRunsUnderModalWindow();

private:
    testsupport::TempDir folder_;
    std::optional<testsupport::MemorySettingsStore> store_;
    std::optional<testsupport::RunningProgram> program_;
    ui::MainWindow* window_ = nullptr;
};

void TestMainWindowCommands::init()
{
    program_.reset();
    store_.emplace();
    program_.emplace(*store_, folder_.path());
    window_ = &program_->open();
}

void TestMainWindowCommands::toolbar_data()
{
    QTest::addColumn<int>("button");
    for (int n = 0; n <= 13; ++n)
        QTest::addRow("button %d", n) << n;
}

// Buttons count from the left, separators included. Each window, box or
// help page must come from its own button alone.
void TestMainWindowCommands::toolbar()
{
    QFETCH(int, button);
    for (int i = 0; i < 47; ++i)
        window_->prefectureBox(i)->setChecked(false); // the export refuses at once
    const QList<QAction*> actions = window_->toolbar()->actions();
    QCOMPARE(actions.size(), 12);
    const bool separator = button == 1 || button == 3 || button == 8 || button == 10;
    const QStringList windows = closingModalWindows([&] {
        if (button >= 1 && button <= 12) {
            QCOMPARE(actions[button - 1]->isSeparator(), separator);
            actions[button - 1]->trigger();
        }
        window_->clickToolbarButton(button);
    });
    const QString expected = button == 9 ? "SETTEI" : button == 11 ? "INFO_VER" : "";
    QCOMPARE(windows, (expected.isEmpty() ? QStringList() : QStringList{expected, expected}));

    const auto& shown = program_->fake.messages.shown;
    QCOMPARE(shown.size(), button == 2 ? 2 : 0);
    if (!shown.isEmpty())
        QCOMPARE(shown[0].title, QStringLiteral("指定確認"));
    QCOMPARE(program_->fake.help.shown,
             (button == 12 ? QStringList{"contents", "contents"} : QStringList()));
    QVERIFY(program_->fake.files.asked.isEmpty());
}

void TestMainWindowCommands::shortcuts()
{
    window_->show();
    QApplication::setActiveWindow(window_);
    QVERIFY(QTest::qWaitForWindowActive(window_));

    QTest::keyClick(window_, Qt::Key_F1);
    QCOMPARE(program_->fake.help.shown, QStringList{"index"});

    // All boxes are ticked, so the export asks for a file.
    QTest::keyClick(window_, Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(program_->fake.files.asked.size(), 1);
    QCOMPARE(program_->fake.files.asked[0].title, QStringLiteral("保存ﾌｧｲﾙを選択"));

    const QStringList opened = closingModalWindows(
        [&] { QTest::keyClick(window_, Qt::Key_K, Qt::ControlModifier); });
    QCOMPARE(opened, QStringList{"SETTEI"});
}

void TestMainWindowCommands::hints()
{
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_));
    ui::StatusBar* bar = window_->statusPanels();
    QGroupBox* kanto = window_->regionFrame(2);
    QCheckBox* tokyo = window_->prefectureBox(12);

    QTest::mouseMove(tokyo, QPoint(5, 5));
    QTRY_COMPARE(bar->panelText(1), QStringLiteral(" 東京都 "));
    QTest::mouseMove(tokyo, QPoint(20, 6)); // still on the box: not its frame's name
    QTRY_COMPARE(bar->panelText(1), QStringLiteral(" 東京都 "));
    QTest::mouseMove(kanto, QPoint(kanto->width() - 5, kanto->height() - 5));
    QTRY_COMPARE(bar->panelText(1), QStringLiteral(" 関東地方 "));
    QTest::mouseMove(window_->background(), QPoint(400, 100));
    QTRY_COMPARE(bar->panelText(1), QString());
}

void TestMainWindowCommands::dateTimeTexts_data()
{
    QTest::addColumn<QDateTime>("moment");
    QTest::addColumn<QString>("date");
    QTest::addColumn<QString>("time");
    auto row = [](const char* name, QDate day, QTime time, const char* date, const char* clock) {
        QTest::newRow(name) << QDateTime(day, time) << QString(date) << QString(clock);
    };
    row("half past midnight", {2007, 3, 5}, {0, 30, 59}, "2007/03/05", "午前 12:30");
    row("afternoon", {2007, 12, 25}, {15, 7, 59}, "2007/12/25", "午後 03:07");
    row("noon", {2007, 12, 25}, {12, 0}, "2007/12/25", "午後 12:00");
    row("new year", {2008, 1, 1}, {0, 0}, "2008/01/01", "午前 12:00");
}

void TestMainWindowCommands::dateTimeTexts()
{
    QFETCH(QDateTime, moment);
    QFETCH(QString, date);
    QFETCH(QString, time);
    QCOMPARE(ui::dateText(moment.date()), date);
    QCOMPARE(ui::timeText(moment.time(), QLocale(QLocale::Japanese, QLocale::Japan)), time);
}

void TestMainWindowCommands::clockRunsUnderModalWindow()
{
    window_->clockTimer()->setInterval(10); // the window's own timer, ticking faster
    window_->show();
    program_->fake.clock.time = QDateTime(QDate(2009, 2, 3), QTime(4, 5));
    ui::StatusBar* bar = window_->statusPanels();
    bool shown = false;
    QDialog dialog(window_);
    QTimer::singleShot(0, &dialog, [&] {
        shown = QTest::qWaitFor([&] { return bar->panelText(3) == "午前 04:05"; }, 2000);
        dialog.reject();
    });
    dialog.exec();
    QVERIFY(shown);
    QCOMPARE(bar->panelText(2), QStringLiteral("2009/02/03"));
}

QTEST_MAIN(TestMainWindowCommands)
#include "TestMainWindowCommands.moc"
