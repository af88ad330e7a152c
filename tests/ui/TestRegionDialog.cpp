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

// The eight region boxes and 全選択 as "1" (ticked) and "0".
QString boxes(const RegionDialog& dialog)
{
    QString out;
    for (bool on : dialog.regions())
        out += on ? '1' : '0';
    return out + (dialog.allBox()->isChecked() ? " 1" : " 0");
}

QColor textColour(const QWidget* w) { return w->palette().color(w->foregroundRole()); }

} // namespace

class TestRegionDialog : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void fromTheMainWindow_data();
    void fromTheMainWindow();
    void selectAllBox();
    void looksAndKeyboard();

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

void TestRegionDialog::fromTheMainWindow_data()
{
    QTest::addColumn<TickSet>("ticked");  // on the main window
    QTest::addColumn<QString>("opened");  // the eight boxes and 全選択 as they open
    QTest::addColumn<QString>("how");     // what the user does in the dialog
    QTest::addColumn<TickSet>("after");   // the main window's ticks afterwards
    const TickSet some{12, 46};
    QTest::newRow("all 47") << range(0, 46) << "11111111 1" << "ok" << range(0, 46);
    QTest::newRow("none") << TickSet{} << "00000000 0" << "ok" << TickSet{};
    QTest::newRow("関東 partly: 茨城 only") << TickSet{7} << "00000000 0" << "ok" << TickSet{};
    QTest::newRow("北海道 alone") << TickSet{0} << "10000000 0" << "ok" << TickSet{0};
    QTest::newRow("九州 up to 沖縄") << range(39, 46) << "00000001 0" << "ok" << range(39, 46);
    QTest::newRow("all but 沖縄") << range(0, 45) << "11111110 0" << "ok" << range(0, 38);
    QTest::newRow("関東 whole, 東北 without 福島") << range(7, 13, range(1, 5)) << "00100000 0" << "ok" << range(7, 13);
    QTest::newRow("関東 ticked, OK") << some << "00000000 0" << "kanto ok" << range(7, 13);
    QTest::newRow("関東 ticked, キャンセル") << some << "00000000 0" << "kanto cancel" << some;
    QTest::newRow("全選択, close box") << some << "00000000 0" << "all close" << some;
    QTest::newRow("全選択, ヘルプ, OK") << some << "00000000 0" << "all help ok" << range(0, 46);
}

// A region opens ticked where all its prefectures are, 全選択 where all
// regions are; OK sets every box to its region's, the others leave them.
void TestRegionDialog::fromTheMainWindow()
{
    QFETCH(TickSet, ticked);
    QFETCH(QString, opened);
    QFETCH(QString, how);
    QFETCH(TickSet, after);
    ui::MainWindow& window = program_->open();
    window.setTicks(ticksOf(ticked));
    QString openedAs;
    bool helpLeftItOpen = false;
    ModalDialogs dialogs([&](QDialog* d) {
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
    QCOMPARE(program_->fake.help.shown, how.contains("help") ? QStringList{"context 10021"} : QStringList{});
}

// The region boxes follow 全選択; it does not follow them.
void TestRegionDialog::selectAllBox()
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

void TestRegionDialog::looksAndKeyboard()
{
    const QColor yellow(255, 255, 0);
    RegionDialog dialog(Ticks{}, program_->fake.help, program_->fake.screen, nullptr);
    QCOMPARE(dialog.objectName() + " " + dialog.windowTitle(), QStringLiteral("ALLSELE 選択／非選択"));
    QCOMPARE(dialog.instruction()->text(), QStringLiteral("選択／非選択を選択し、OKﾎﾞﾀﾝを押して下さい。"));
    QCOMPARE(textColour(dialog.instruction()), yellow);
    QCOMPARE(dialog.palette().color(QPalette::Window), QColor(128, 128, 128));

    // Three rows of three, each box's tip built from its caption, in its region's colour.
    const QStringList captions{"北海道地方", "東北地方", "関東地方", "中部地方", "近畿地方",
                               "中国地方",   "四国地方", "九州地方", "全選択"};
    for (int r = 0; r < 9; ++r) {
        QCheckBox* box = r < 8 ? dialog.regionBox(r) : dialog.allBox();
        QCOMPARE(box->text() + "|" + box->toolTip(), captions[r] + "| " + captions[r] + " ");
        const postal::Rgb c = r < 8 ? postal::kRegions[r].colour : postal::Rgb{255, 255, 0};
        QCOMPARE(textColour(box), QColor(c.r, c.g, c.b));
        if (r == 8)
            break;
        const QPoint at = box->geometry().topLeft();
        const QPoint next = (r < 7 ? dialog.regionBox(r + 1) : dialog.allBox())->geometry().topLeft();
        QVERIFY(r % 3 == 2 ? next.y() > at.y() : next.y() == at.y() && next.x() > at.x());
    }
    // The buttons below, from left to right.
    for (int i = 0; i < 3; ++i) {
        QPushButton* button = dialog.button(i);
        const QString text = QStringList{"OK", "キャンセル", "ヘルプ"}[i];
        QCOMPARE(button->text() + "|" + button->toolTip(), text + "| " + text + " ");
        QVERIFY(!button->isDefault() && !button->autoDefault());
        QVERIFY(button->geometry().top() > dialog.allBox()->geometry().bottom());
        QVERIFY(i == 0 || button->x() > dialog.button(i - 1)->x());
    }
    // A fixed dialog border without minimise and maximise, centred.
    QCOMPARE(dialog.windowType(), Qt::Dialog);
    QVERIFY(!(dialog.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    QCOMPARE(dialog.minimumSize(), dialog.maximumSize());
    const QSize screen = program_->fake.screen.pixels;
    QCOMPARE(dialog.pos(), QPoint((screen.width() - dialog.width()) / 2, (screen.height() - dialog.height()) / 2));

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
    QCOMPARE(visited, (QStringList{"Check1_0", "Check1_1", "Check1_2", "Check1_3", "Check1_4", "Check1_5", "Check1_6",
                                   "Check1_7", "Check2", "Command1_0", "Command1_1", "Command1_2", "Check1_0"}));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QVERIFY(dialog.isVisible() && dialog.result() == 0);
    // Enter on a focused button presses it.
    dialog.button(1)->setFocus();
    QTest::keyClick(dialog.button(1), Qt::Key_Return);
    QVERIFY(!dialog.isVisible() && dialog.result() == int(QDialog::Rejected));
}

QTEST_MAIN(TestRegionDialog)
#include "TestRegionDialog.moc"
