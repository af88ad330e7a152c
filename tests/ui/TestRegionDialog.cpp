// The region dialog: how it opens from the main window's ticks, what OK
// writes back, what it looks like, and that キャンセル, the close box and
// ヘルプ change nothing.

#include "ModalDialogs.h"
#include "RunningProgram.h"

#include "ui/dialogs/RegionDialog.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <set>

using testsupport::ModalDialogs;
using ui::RegionDialog;
using ui::Ticks;
using TickSet = std::set<int>;
Q_DECLARE_METATYPE(TickSet)

namespace {

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

// The eight region boxes as "1" (ticked) and "0".
QString boxes(const ui::RegionBoxes& regions)
{
    QString out;
    for (bool on : regions)
        out += on ? '1' : '0';
    return out;
}

QColor textColour(const QWidget* w) { return w->palette().color(w->foregroundRole()); }

} // namespace

class TestRegionDialog : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void opensAndApplies_data();
    void opensAndApplies();
    void selectAllBox();
    void looksAndKeyboard();
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
    QTest::addColumn<TickSet>("ticked");  // on the main window
    QTest::addColumn<QString>("regions"); // the eight boxes as they open
    QTest::addColumn<bool>("all");        // "全選択" as it opens
    QTest::addColumn<TickSet>("afterOk"); // the main window's ticks after OK
    QTest::newRow("all 47") << range(0, 46) << "11111111" << true << range(0, 46);
    QTest::newRow("none") << TickSet{} << "00000000" << false << TickSet{};
    QTest::newRow("関東 partly: 茨城 only") << TickSet{7} << "00000000" << false << TickSet{};
    QTest::newRow("北海道 alone") << TickSet{0} << "10000000" << false << TickSet{0};
    QTest::newRow("九州 up to 沖縄") << range(39, 46) << "00000001" << false << range(39, 46);
    QTest::newRow("all but 沖縄") << range(0, 45) << "11111110" << false << range(0, 38);
    QTest::newRow("関東 whole, 東北 without 福島")
        << range(7, 13, range(1, 5)) << "00100000" << false << range(7, 13);
}

// OK sets each of the 47 boxes once, in index order, region by region.
void TestRegionDialog::opensAndApplies()
{
    QFETCH(TickSet, ticked);
    QFETCH(QString, regions);
    QFETCH(bool, all);
    QFETCH(TickSet, afterOk);

    QCOMPARE(boxes(ui::fullyTickedRegions(ticksOf(ticked))), regions);
    RegionDialog dialog(ticksOf(ticked), program_->fake.help, program_->fake.screen, nullptr);
    QCOMPARE(boxes(dialog.regions()), regions);
    QCOMPARE(dialog.allBox()->isChecked(), all);

    Ticks result{};
    QList<int> order;
    ui::applyRegions(dialog.regions(), [&](int i, bool on) { order << i, result[i] = on; });
    QCOMPARE(result, ticksOf(afterOk));
    QCOMPARE(order.size(), 47);
    for (int i = 0; i < 47; ++i)
        QCOMPARE(order[i], i);
}

void TestRegionDialog::selectAllBox()
{
    RegionDialog dialog(ticksOf(range(0, 46)), program_->fake.help, program_->fake.screen,
                        nullptr);
    // Cleared after opening ticked: all eight follow.
    dialog.allBox()->click();
    QCOMPARE(boxes(dialog.regions()), QStringLiteral("00000000"));
    // Ticking all eight by hand leaves it clear.
    for (int r = 0; r < 8; ++r)
        dialog.regionBox(r)->click();
    QVERIFY(!dialog.allBox()->isChecked());
    QCOMPARE(boxes(dialog.regions()), QStringLiteral("11111111"));
    // Ticked, then one region cleared by hand: it stays ticked.
    dialog.allBox()->click();
    dialog.regionBox(3)->click();
    QVERIFY(dialog.allBox()->isChecked());
    QCOMPARE(boxes(dialog.regions()), QStringLiteral("11101111"));
}

void TestRegionDialog::looksAndKeyboard()
{
    const QColor yellow(255, 255, 0);
    RegionDialog dialog(Ticks{}, program_->fake.help, program_->fake.screen, nullptr);
    QCOMPARE(dialog.objectName(), QStringLiteral("ALLSELE"));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("選択／非選択"));
    QCOMPARE(dialog.instruction()->text(), QStringLiteral("選択／非選択を選択し、OKﾎﾞﾀﾝを押して下さい。"));
    QCOMPARE(textColour(dialog.instruction()), yellow);
    QCOMPARE(dialog.palette().color(QPalette::Window), QColor(128, 128, 128));

    // Three rows of three, each box's tip built from its caption, in its region's colour.
    const QStringList captions{"北海道地方", "東北地方", "関東地方", "中部地方", "近畿地方",
                               "中国地方",   "四国地方", "九州地方", "全選択"};
    for (int r = 0; r < 9; ++r) {
        QCheckBox* box = r < 8 ? dialog.regionBox(r) : dialog.allBox();
        QCOMPARE(box->text(), captions[r]);
        QCOMPARE(box->toolTip(), " " + captions[r] + " ");
        const postal::Rgb c = r < 8 ? postal::kRegions[r].colour : postal::Rgb{255, 255, 0};
        QCOMPARE(textColour(box), QColor(c.r, c.g, c.b));
        if (r == 8)
            break;
        const QPoint at = box->geometry().topLeft();
        const QPoint next = (r < 7 ? dialog.regionBox(r + 1) : dialog.allBox())->geometry().topLeft();
        QVERIFY(r % 3 == 2 ? next.y() > at.y() : next.y() == at.y() && next.x() > at.x());
    }
    // The buttons below, from left to right.
    const QStringList buttons{"OK", "キャンセル", "ヘルプ"};
    for (int i = 0; i < 3; ++i) {
        QPushButton* button = dialog.button(i);
        QCOMPARE(button->text(), buttons[i]);
        QCOMPARE(button->toolTip(), " " + buttons[i] + " ");
        QVERIFY(!button->isDefault() && !button->autoDefault());
        QVERIFY(button->geometry().top() > dialog.allBox()->geometry().bottom());
        QVERIFY(i == 0 || button->x() > dialog.button(i - 1)->x());
    }

    // A fixed dialog border without minimise and maximise, centred.
    QCOMPARE(dialog.windowType(), Qt::Dialog);
    QVERIFY(!(dialog.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    QCOMPARE(dialog.minimumSize(), dialog.maximumSize());
    const QSize screen = program_->fake.screen.pixels;
    QCOMPARE(dialog.pos(), QPoint((screen.width() - dialog.width()) / 2,
                                  (screen.height() - dialog.height()) / 2));

    // Tab visits the nine boxes in index order, then the buttons; neither Enter
    // nor Escape closes the dialog, as it has no default or cancel button.
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
    window.setTicks(ticksOf({12, 46}));

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
    testsupport::runCommand(window, "mnuEditSentaku_HiSentaku");

    QCOMPARE(dialogs.shown, QStringList{"ALLSELE"});
    QCOMPARE(window.ticks(), ticksOf(after));
    QVERIFY(program_->fake.messages.shown.isEmpty());
    QCOMPARE(helpLeftItOpen, how.contains("help"));
    QCOMPARE(program_->fake.help.shown, how.contains("help") ? QStringList{"context 10021"} : QStringList{});
    QCOMPARE(program_->fake.help.contexts, how.contains("help") ? QList<int>{10021} : QList<int>{});
}

QTEST_MAIN(TestRegionDialog)
#include "TestRegionDialog.moc"
