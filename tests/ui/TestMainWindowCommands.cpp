// What reaches the running window's commands (toolbar buttons, shortcuts)
// and what its status bar shows (hints, date and time).

#include "ModalDialogs.h"
#include "RunningProgram.h"

#include "tests/postal/ListLines.h"
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
    testsupport::TempDir listFolder_;
    std::optional<testsupport::MemorySettingsStore> store_;
    std::optional<testsupport::RunningProgram> program_;
    ui::MainWindow* window_ = nullptr;
};

void TestMainWindowCommands::init()
{
    program_.reset();
    store_.emplace();
    testsupport::writeFile(listFolder_ / "ken_all.csv", testlines::line("13101"));
    program_.emplace(*store_, folder_.path(), listFolder_ / "ken_all.csv");
    window_ = &program_->open();
}

void TestMainWindowCommands::toolbar_data()
{
    QTest::addColumn<int>("button");
    for (int n = 0; n <= 13; ++n)
        QTest::addRow("button %d", n) << n;
}

// Buttons count from the left, separators included. Each command must come
// from its own button alone: told apart by the question, chooser or dialog
// it shows (choosers are cancelled, dialogs closed).
void TestMainWindowCommands::toolbar()
{
    QFETCH(int, button);
    for (int i = 0; i < 47; ++i)
        window_->prefectureBox(i)->setChecked(false); // the export refuses at once
    const QList<QAction*> actions = window_->toolbar()->actions();
    QCOMPARE(actions.size(), 12);
    const bool separator = button == 1 || button == 3 || button == 8 || button == 10;
    testsupport::ModalDialogs dialogs;
    if (button >= 1 && button <= 12) {
        QCOMPARE(actions[button - 1]->isSeparator(), separator);
        QCOMPARE(actions[button - 1]->icon().pixmap(16, 16).isNull(), separator); // its picture
        actions[button - 1]->trigger();
    }
    window_->show(); // the icon comes once the window has painted
    QTRY_VERIFY(!window_->windowIcon().pixmap(32, 32).isNull());
    window_->clickToolbarButton(button);

    const auto& shown = program_->fake.messages.shown;
    QCOMPARE(shown.size(), button == 2 ? 2 : 0);
    if (!shown.isEmpty())
        QCOMPARE(shown[0].title, QStringLiteral("指定確認"));
    QCOMPARE(program_->fake.help.shown,
             (button == 12 ? QStringList{"contents", "contents"} : QStringList()));
    QStringList choosers;
    for (const ui::FileDialogRequest& asked : program_->fake.files.asked)
        choosers << asked.title;
    const QMap<int, QString> chooserOf{
        {4, "ｺﾋﾟｰするﾌｧｲﾙを選択"}, {5, "名前を変更するﾌｧｲﾙを選択"}, {7, "削除するﾌｧｲﾙを選択"}};
    const QStringList expectedChoosers = chooserOf.contains(button)
                                             ? QStringList{chooserOf[button], chooserOf[button]}
                                             : QStringList();
    QCOMPARE(choosers, expectedChoosers);
    const QMap<int, QString> dialogOf{{6, "ALLSELE"}, {9, "SETTEI"}, {11, "INFO_VER"}};
    const QStringList expectedDialogs =
        dialogOf.contains(button) ? QStringList{dialogOf[button], dialogOf[button]} : QStringList();
    QCOMPARE(dialogs.shown, expectedDialogs);
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

    testsupport::ModalDialogs dialogs;
    QTest::keyClick(window_, Qt::Key_K, Qt::ControlModifier);
    QCOMPARE(dialogs.shown, QStringList{"SETTEI"});
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
