// The region dialog: how it opens from the main window's ticks, what OK
// writes back, what it looks like, and that キャンセル, the close box and
// ヘルプ change nothing.

#include "ModalDialogs.h"
#include "RunningProgram.h"

#include "ui/dialogs/RegionDialog.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <set>

using testsupport::ModalDialogs;
using ui::RegionBoxes;
using ui::RegionDialog;
using ui::Ticks;

namespace {

Ticks ticksOf(const std::set<int>& indexes)
{
    Ticks ticks{};
    for (int i : indexes)
        ticks[i] = true;
    return ticks;
}

std::set<int> range(int first, int last)
{
    std::set<int> out;
    for (int i = first; i <= last; ++i)
        out.insert(i);
    return out;
}

QList<bool> listOf(const RegionBoxes& boxes)
{
    return QList<bool>(boxes.begin(), boxes.end());
}

QColor textColour(const QWidget* widget)
{
    return widget->palette().color(widget->foregroundRole());
}

} // namespace

using TickSet = std::set<int>;
Q_DECLARE_METATYPE(TickSet)

class TestRegionDialog : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void opensAndApplies_data();
    void opensAndApplies();
    void okWritesEachBoxOnceRegionByRegion();
    void selectAllBox();
    void looks();
    void keyboard();
    void fromTheMainWindow_data();
    void fromTheMainWindow();

private:
    std::optional<testsupport::TempDir> dir_;
    std::optional<testsupport::MemorySettingsStore> store_;
    std::optional<testsupport::RunningProgram> program_;
};

void TestRegionDialog::init()
{
    program_.reset();
    dir_.emplace();
    store_.emplace();
    program_.emplace(*store_, dir_->path());
}

void TestRegionDialog::opensAndApplies_data()
{
    QTest::addColumn<TickSet>("ticked");         // on the main window
    QTest::addColumn<QList<bool>>("regions");    // the eight boxes as they open
    QTest::addColumn<bool>("all");               // "全選択" as it opens
    QTest::addColumn<TickSet>("afterOk");        // the main window's ticks after OK
    const QList<bool> none(8, false);
    QTest::newRow("all 47") << range(0, 46) << QList<bool>(8, true) << true << range(0, 46);
    QTest::newRow("none") << TickSet{} << none << false << TickSet{};
    QTest::newRow("関東 partly: 茨城 only") << TickSet{7} << none << false << TickSet{};
    QTest::newRow("北海道 alone")
        << TickSet{0} << QList<bool>{true, false, false, false, false, false, false, false}
        << false << TickSet{0};
    QTest::newRow("九州 up to 沖縄")
        << range(39, 46) << QList<bool>{false, false, false, false, false, false, false, true}
        << false << range(39, 46);
    QTest::newRow("all but 沖縄")
        << range(0, 45) << QList<bool>{true, true, true, true, true, true, true, false} << false
        << range(0, 38);
    QTest::newRow("関東 whole, 東北 without 福島")
        << [] {
               TickSet s = range(7, 13);
               for (int i : range(1, 5))
                   s.insert(i);
               return s;
           }()
        << QList<bool>{false, false, true, false, false, false, false, false} << false
        << range(7, 13);
}

void TestRegionDialog::opensAndApplies()
{
    QFETCH(TickSet, ticked);
    QFETCH(QList<bool>, regions);
    QFETCH(bool, all);
    QFETCH(TickSet, afterOk);

    QCOMPARE(listOf(ui::fullyTickedRegions(ticksOf(ticked))), regions);
    RegionDialog dialog(ticksOf(ticked), program_->fake.help, program_->fake.screen, nullptr);
    QCOMPARE(listOf(dialog.regions()), regions);
    QCOMPARE(dialog.allBox()->isChecked(), all);

    Ticks result{};
    ui::applyRegions(dialog.regions(), [&](int i, bool on) { result[i] = on; });
    QCOMPARE(result, ticksOf(afterOk));
}

void TestRegionDialog::okWritesEachBoxOnceRegionByRegion()
{
    const RegionBoxes regions{true, false, true, false, true, false, true, false};
    QList<int> order;
    Ticks result{};
    ui::applyRegions(regions, [&](int i, bool on) {
        order << i;
        result[i] = on;
    });
    QCOMPARE(order.size(), 47);
    for (int i = 0; i < 47; ++i) {
        QCOMPARE(order[i], i);
        QCOMPARE(result[i], regions[postal::regionOf(i)]);
    }
}

void TestRegionDialog::selectAllBox()
{
    RegionDialog dialog(ticksOf(range(0, 46)), program_->fake.help, program_->fake.screen,
                        nullptr);
    // Cleared after opening ticked: all eight follow.
    dialog.allBox()->click();
    QCOMPARE(listOf(dialog.regions()), QList<bool>(8, false));
    // Ticking all eight by hand leaves it clear.
    for (int r = 0; r < 8; ++r)
        dialog.regionBox(r)->click();
    QVERIFY(!dialog.allBox()->isChecked());
    QCOMPARE(listOf(dialog.regions()), QList<bool>(8, true));
    // Ticked, then one region cleared by hand: it stays ticked.
    dialog.allBox()->click();
    dialog.regionBox(3)->click();
    QVERIFY(dialog.allBox()->isChecked());
    QCOMPARE(listOf(dialog.regions()),
             (QList<bool>{true, true, true, false, true, true, true, true}));
}

void TestRegionDialog::looks()
{
    RegionDialog dialog(Ticks{}, program_->fake.help, program_->fake.screen, nullptr);
    QCOMPARE(dialog.objectName(), QStringLiteral("ALLSELE"));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("選択／非選択"));
    QCOMPARE(dialog.instruction()->text(), QStringLiteral("選択／非選択を選択し、OKﾎﾞﾀﾝを押して下さい。"));
    QCOMPARE(textColour(dialog.instruction()), QColor(255, 255, 0));
    QCOMPARE(dialog.palette().color(QPalette::Window), QColor(128, 128, 128));

    const char* captions[] = {"北海道地方", "東北地方", "関東地方", "中部地方",
                              "近畿地方",   "中国地方", "四国地方", "九州地方"};
    for (int r = 0; r < 8; ++r) {
        QCheckBox* box = dialog.regionBox(r);
        QCOMPARE(box->text(), QString::fromUtf8(captions[r]));
        QCOMPARE(box->toolTip(), " " + box->text() + " ");
        const postal::Rgb c = postal::kRegions[r].colour;
        QCOMPARE(textColour(box), QColor(c.r, c.g, c.b));
    }
    QCOMPARE(dialog.allBox()->text(), QStringLiteral("全選択"));
    QCOMPARE(dialog.allBox()->toolTip(), QStringLiteral(" 全選択 "));
    QCOMPARE(textColour(dialog.allBox()), QColor(255, 255, 0));

    // Three rows of three, then the buttons below from left to right.
    for (int r = 0; r < 8; ++r) {
        const QPoint at = dialog.regionBox(r)->geometry().topLeft();
        const QPoint next = (r < 7 ? dialog.regionBox(r + 1) : dialog.allBox())->geometry().topLeft();
        if (r % 3 == 2)
            QVERIFY(next.y() > at.y());
        else
            QVERIFY(next.y() == at.y() && next.x() > at.x());
    }
    const QStringList buttons{"OK", "キャンセル", "ヘルプ"};
    for (int i = 0; i < 3; ++i) {
        QPushButton* button = dialog.button(i);
        QCOMPARE(button->text(), buttons[i]);
        QCOMPARE(button->toolTip(), " " + buttons[i] + " ");
        QVERIFY(!button->isDefault() && !button->autoDefault());
        QVERIFY(button->geometry().top() > dialog.allBox()->geometry().bottom());
        if (i > 0)
            QVERIFY(button->x() > dialog.button(i - 1)->x());
    }

    // A fixed dialog border without minimise and maximise, centred.
    QCOMPARE(dialog.windowType(), Qt::Dialog);
    QVERIFY(!(dialog.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    QCOMPARE(dialog.minimumSize(), dialog.maximumSize());
    const QSize screen = program_->fake.screen.pixels;
    QCOMPARE(dialog.pos(), QPoint((screen.width() - dialog.width()) / 2,
                                  (screen.height() - dialog.height()) / 2));
}

// Tab visits the nine boxes in index order, then the buttons; neither Enter
// nor Escape closes the dialog, as it has no default or cancel button.
void TestRegionDialog::keyboard()
{
    RegionDialog dialog(Ticks{}, program_->fake.help, program_->fake.screen, nullptr);
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
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QVERIFY(dialog.isVisible());
    QCOMPARE(dialog.result(), 0);
    // Enter on a focused button presses it.
    dialog.button(1)->setFocus();
    QTest::keyClick(dialog.button(1), Qt::Key_Return);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
}

void TestRegionDialog::fromTheMainWindow_data()
{
    QTest::addColumn<QString>("how");   // what the user does in the dialog
    QTest::addColumn<TickSet>("after"); // starting from 東京都 and 沖縄県
    QTest::newRow("関東 ticked, OK") << "kanto ok" << range(7, 13);
    QTest::newRow("関東 ticked, キャンセル") << "kanto cancel" << TickSet{12, 46};
    QTest::newRow("全選択, close box") << "all close" << TickSet{12, 46};
    QTest::newRow("全選択, ヘルプ, OK") << "all help ok" << range(0, 46);
    QTest::newRow("OK at once") << "ok" << TickSet{};
}

void TestRegionDialog::fromTheMainWindow()
{
    QFETCH(QString, how);
    QFETCH(TickSet, after);
    ui::MainWindow& window = program_->open();
    ui::Ticks start{};
    start[12] = start[46] = true;
    window.setTicks(start);

    bool helpLeftItOpen = false;
    ModalDialogs dialogs([&](QDialog* d) {
        auto* dialog = qobject_cast<RegionDialog*>(d);
        QVERIFY(dialog);
        QCOMPARE(dialog->parentWidget(), &window);
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
    // The menu item on odd rows, the toolbar button on even ones.
    const char* trigger =
        QTest::currentDataTag()[0] == QChar(u'関') ? "mnuEditSentaku_HiSentaku" : "Toolbar1_6";
    testsupport::runCommand(window, trigger);

    QCOMPARE(dialogs.shown, QStringList{"ALLSELE"});
    QCOMPARE(window.ticks(), ticksOf(after));
    QVERIFY(program_->fake.messages.shown.isEmpty());
    if (how.contains("help")) {
        QVERIFY(helpLeftItOpen);
        QCOMPARE(program_->fake.help.contexts, QList<int>{10021});
    } else {
        QVERIFY(program_->fake.help.shown.isEmpty());
    }
}

QTEST_MAIN(TestRegionDialog)
#include "TestRegionDialog.moc"
