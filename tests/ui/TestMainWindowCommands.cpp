// The menu tree, the toolbar and its dispatch, shortcuts and help.

#include "RunningProgram.h"

#include "ui/common/Help.h"
#include "ui/common/HelpWindow.h"
#include "ui/main/ToolbarDispatch.h"

#include <QCheckBox>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QTest>
#include <QTextBrowser>
#include <QToolBar>
#include <QToolButton>

using testsupport::MemorySettingsStore;
using testsupport::RecordingHelp;
using testsupport::RunningProgram;

Q_DECLARE_METATYPE(ui::Command)

class TestMainWindowCommands : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void menuTree();
    void toolbarPositions();
    void dispatch_data();
    void dispatch();
    void toolbarButtonsRunTheirCommands();
    void shortcuts();
    void helpMenu();
    void helpViewerReusesOneWindow();

private:
    testsupport::TempDir folder_;
    std::unique_ptr<MemorySettingsStore> store_;
    std::unique_ptr<RunningProgram> program_;
    ui::MainWindow* window_ = nullptr;
};

void TestMainWindowCommands::init()
{
    store_ = std::make_unique<MemorySettingsStore>();
    program_ = std::make_unique<RunningProgram>(*store_, folder_.path());
    window_ = &program_->open();
}

void TestMainWindowCommands::cleanup()
{
    program_.reset();
    store_.reset();
}

void TestMainWindowCommands::menuTree()
{
    struct Item
    {
        const char* name;
        const char* caption;
        const char* shortcut;
    };
    const std::vector<std::pair<Item, std::vector<Item>>> expected = {
        {{"mnuFile", "ﾌｧｲﾙ(&F)", ""},
         {{"mnuFileSave", "指定都道府県の保存(&S)", "Ctrl+S"},
          {"mnuFileDummy", "", ""},
          {"mnuFileEnd", "vevoz君 の終了(&X)...", ""}}},
        {{"mnuEdit", "編集(&E)", ""},
         {{"mnuEditCopy", "ﾌｧｲﾙのｺﾋﾟｰ(&C)", ""},
          {"mnuEditRename", "ﾌｧｲﾙ名の変更(&R)", ""},
          {"mnuEditSentaku_HiSentaku", "選択／非選択(&A)", ""},
          {"mnuEditDummy", "", ""},
          {"mnuEditDelete", "ﾌｧｲﾙの削除(&D)...", ""}}},
        {{"mnuOption", "ｵﾌﾟｼｮﾝ(&O)", ""}, {{"mnuOptSettei", "各種設定(&K)", "Ctrl+K"}}},
        {{"mnuHelp", "ﾍﾙﾌﾟ(&H)", ""},
         {{"mnuHelpContext_KeyWord_0", "ﾄﾋﾟｯｸの検索(H)", "F1"},
          {"mnuHelpContext_KeyWord_1", "目次(&C)", ""},
          {"mnuHelpDummy", "", ""},
          {"mnuHelpAbout", "ﾊﾞｰｼﾞｮﾝ情報(&A)...", ""}}},
    };
    const QList<QAction*> menus = window_->menuBar()->actions();
    QCOMPARE(menus.size(), qsizetype(expected.size()));
    for (std::size_t m = 0; m < expected.size(); ++m) {
        QMenu* menu = menus[qsizetype(m)]->menu();
        QVERIFY(menu);
        QCOMPARE(menu->objectName(), QString(expected[m].first.name));
        QCOMPARE(menu->title(), QString(expected[m].first.caption));
        const QList<QAction*> items = menu->actions();
        QCOMPARE(items.size(), qsizetype(expected[m].second.size()));
        for (std::size_t i = 0; i < expected[m].second.size(); ++i) {
            const Item& item = expected[m].second[i];
            QAction* action = items[qsizetype(i)];
            QCOMPARE(action->objectName(), QString(item.name));
            QCOMPARE(action->isSeparator(), QString(item.caption).isEmpty());
            if (!action->isSeparator())
                QCOMPARE(action->text(), QString(item.caption));
            QCOMPARE(action->shortcut(), QKeySequence(QString(item.shortcut)));
            QVERIFY(action->isEnabled() && action->isVisible() && !action->isCheckable());
        }
    }
}

void TestMainWindowCommands::toolbarPositions()
{
    const QStringList tooltips = {
        "", " 指定都道府県の保存 ", "", " ｺﾋﾟｰ ",        " 名前の変更 ", " 選択／非選択 ", " 削除 ",
        "", " 各種設定 ",           "", " ﾊﾞｰｼﾞｮﾝ情報 ", " ﾍﾙﾌﾟ "};
    const QList<QAction*> actions = window_->Toolbar1()->actions();
    QCOMPARE(actions.size(), 12);
    for (int n = 1; n <= 12; ++n) {
        QAction* action = actions[n - 1];
        QCOMPARE(action->objectName(), QStringLiteral("Toolbar1_%1").arg(n));
        QCOMPARE(action->isSeparator(), tooltips[n - 1].isEmpty());
        QCOMPARE(ui::isToolbarSeparator(n), action->isSeparator());
        if (!action->isSeparator()) {
            QCOMPARE(action->toolTip(), tooltips[n - 1]);
            QVERIFY(action->text().isEmpty());
            QVERIFY2(!action->icon().isNull(), qPrintable(action->objectName()));
        }
    }
}

void TestMainWindowCommands::dispatch_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<ui::Command>("command");
    const ui::Command expected[] = {
        ui::Command::None,   ui::Command::Save,   ui::Command::None,
        ui::Command::Copy,   ui::Command::Rename, ui::Command::SelectByRegion,
        ui::Command::Delete, ui::Command::None,   ui::Command::Settings,
        ui::Command::None,   ui::Command::About,  ui::Command::HelpContents};
    for (int n = 1; n <= 12; ++n)
        QTest::addRow("button %d", n) << n << expected[n - 1];
    QTest::newRow("before the first") << 0 << ui::Command::None;
    QTest::newRow("past the last") << 13 << ui::Command::None;
}

void TestMainWindowCommands::dispatch()
{
    QFETCH(int, button);
    QFETCH(ui::Command, command);
    QCOMPARE(ui::toolbarCommand(button), command);
}

void TestMainWindowCommands::toolbarButtonsRunTheirCommands()
{
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_));
    auto click = [this](int number) {
        QAction* action = window_->findChild<QAction*>(QStringLiteral("Toolbar1_%1").arg(number));
        QWidget* button = window_->Toolbar1()->widgetForAction(action);
        QVERIFY(button);
        QTest::mouseClick(button, Qt::LeftButton);
    };

    // Button 12 is the contents, not the index.
    click(12);
    QCOMPARE(program_->fake.help.calls.size(), 1);
    QCOMPARE(program_->fake.help.calls[0].form, RecordingHelp::Call::Contents);

    // Button 2 is the export, with its questions.
    for (int i = 0; i < 47; ++i)
        window_->Check1(i)->setChecked(false);
    click(2);
    QCOMPARE(program_->fake.messages.shown.size(), 1);
    QCOMPARE(program_->fake.messages.shown[0].title, QStringLiteral("指定確認"));

    // Separators do nothing.
    for (int n : {1, 3, 8, 10}) {
        window_->findChild<QAction*>(QStringLiteral("Toolbar1_%1").arg(n))->trigger();
        window_->Toolbar1_ButtonClick(n);
    }
    QCOMPARE(program_->fake.messages.shown.size(), 1);
    QCOMPARE(program_->fake.help.calls.size(), 1);
    QVERIFY(program_->fake.files.asked.isEmpty());
}

void TestMainWindowCommands::shortcuts()
{
    window_->show();
    QApplication::setActiveWindow(window_);
    QVERIFY(QTest::qWaitForWindowActive(window_));

    QTest::keyClick(window_, Qt::Key_F1);
    QCOMPARE(program_->fake.help.calls.size(), 1);
    QCOMPARE(program_->fake.help.calls[0].form, RecordingHelp::Call::Index);

    // Ctrl+S reaches the export: all boxes are ticked, so it asks for a file.
    QTest::keyClick(window_, Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(program_->fake.files.asked.size(), 1);
    QCOMPARE(program_->fake.files.asked[0].title, QStringLiteral("保存ﾌｧｲﾙを選択"));

    bool settingsRan = false;
    QAction* settings = window_->findChild<QAction*>("mnuOptSettei");
    connect(settings, &QAction::triggered, this, [&] { settingsRan = true; });
    QTest::keyClick(window_, Qt::Key_K, Qt::ControlModifier);
    QVERIFY(settingsRan);
}

void TestMainWindowCommands::helpMenu()
{
    window_->findChild<QAction*>("mnuHelpContext_KeyWord_0")->trigger();
    window_->findChild<QAction*>("mnuHelpContext_KeyWord_1")->trigger();
    window_->mnuHelpContext_KeyWord_Click(7); // anything but 0 is the contents
    const auto& calls = program_->fake.help.calls;
    QCOMPARE(calls.size(), 3);
    QCOMPARE(calls[0].form, RecordingHelp::Call::Index);
    QCOMPARE(calls[1].form, RecordingHelp::Call::Contents);
    QCOMPARE(calls[2].form, RecordingHelp::Call::Contents);
}

void TestMainWindowCommands::helpViewerReusesOneWindow()
{
    ui::HelpViewer help;
    window_->show();
    help.showContents(window_);
    QPointer<ui::HelpWindow> first = help.window();
    QVERIFY(first);
    QVERIFY(first->isVisible());
    QVERIFY(!first->isModal());
    QCOMPARE(first->currentUrl(), ui::helpContentsUrl());
    QVERIFY2(!first->findChild<QTextBrowser*>()->toPlainText().isEmpty(),
             "the contents page is in the resources");

    // A dialog's Help button: the same window, now over the dialog.
    QWidget dialog(window_, Qt::Dialog);
    dialog.show();
    help.showContext(&dialog, ui::kHelpFileCopy);
    QCOMPARE(help.window(), first.data());
    QCOMPARE(first->parentWidget(), &dialog);
    QCOMPARE(first->currentUrl(), ui::helpContextUrl(10019));
    for (int context : {10019, 10020, 10021, 10025, 10026}) {
        help.showContext(&dialog, context);
        QVERIFY2(!first->findChild<QTextBrowser*>()->toPlainText().isEmpty(),
                 qPrintable(QString::number(context)));
    }
    help.showIndex(window_);
    QCOMPARE(help.window(), first.data());
    QCOMPARE(first->currentUrl(), ui::helpIndexUrl());
}

QTEST_MAIN(TestMainWindowCommands)
#include "TestMainWindowCommands.moc"
