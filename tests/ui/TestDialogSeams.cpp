// The real message box behind the seam, the filter texts the file chooser
// is given, and the shared chooser's memory.

#include "FakeUi.h"
#include "ModalDialogs.h"

#include "ui/main/CommonDialog.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

using testsupport::ScriptedFileChooser;

Q_DECLARE_METATYPE(ui::MessageButtons)

class TestDialogSeams : public QObject
{
    Q_OBJECT

private slots:
    void nameFilters_data();
    void nameFilters();
    void commonDialogRemembers();
    void messageBoxAsksInJapanese_data();
    void messageBoxAsksInJapanese();
    void messageBoxWrapsLongNames();
};

void TestDialogSeams::nameFilters_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("main window's own")
        << "郵便番号一覧ﾌｧｲﾙ(*.CSV)|*.CSV|すべてのﾌｧｲﾙ(*.*)|*.*"
        << QStringList{"郵便番号一覧ﾌｧｲﾙ(*.CSV) (*.[cC][sS][vV])", "すべてのﾌｧｲﾙ(*.*) (*)"};
    QTest::newRow("export's, trailing bar")
        << "(*.csv)|*.csv|" << QStringList{"(*.csv) (*.[cC][sS][vV])"};
    QTest::newRow("several patterns, letters outside ASCII kept")
        << "Lists|*.csv;一覧*.txt" << QStringList{"Lists (*.[cC][sS][vV] 一覧*.[tT][xX][tT])"};
    QTest::newRow("empty") << "" << QStringList{};
}

void TestDialogSeams::nameFilters()
{
    QFETCH(QString, filter);
    QFETCH(QStringList, expected);
    QCOMPARE(ui::toNameFilters(filter), expected);
}

void TestDialogSeams::commonDialogRemembers()
{
    ScriptedFileChooser chooser;
    ui::CommonDialog dialog(chooser);
    dialog.setInitDir("/lists");
    dialog.setTitle("first");
    dialog.setFilter("(*.csv)|*.csv|");
    chooser.answers.enqueue("/lists/a.csv");
    QVERIFY(dialog.showSave(nullptr));
    QCOMPARE(dialog.fileName(), QStringLiteral("/lists/a.csv"));
    QCOMPARE(dialog.fileTitle(), QStringLiteral("a.csv"));

    // The next command finds what the last one left, including the file name.
    QVERIFY(!dialog.showOpen(nullptr));
    const ui::FileDialogRequest& second = chooser.asked[1];
    QCOMPARE(second.mode, ui::FileDialogMode::Open);
    QCOMPARE(second.folder, QStringLiteral("/lists"));
    QCOMPARE(second.title, QStringLiteral("first"));
    QCOMPARE(second.filter, QStringLiteral("(*.csv)|*.csv|"));
    QCOMPARE(second.fileName, QStringLiteral("/lists/a.csv"));
    // A cancel leaves the name as it was.
    QCOMPARE(dialog.fileName(), QStringLiteral("/lists/a.csv"));
}

void TestDialogSeams::messageBoxAsksInJapanese_data()
{
    QTest::addColumn<ui::MessageButtons>("kind");
    QTest::addColumn<QString>("yes");
    QTest::addColumn<QString>("no");
    QTest::newRow("OK, キャンセル") << ui::MessageButtons::OkCancel << "OK"
                                    << "キャンセル";
    QTest::newRow("はい, いいえ") << ui::MessageButtons::YesNo << "はい"
                                  << "いいえ";
}

void TestDialogSeams::messageBoxAsksInJapanese()
{
    QFETCH(ui::MessageButtons, kind);
    QFETCH(QString, yes);
    QFETCH(QString, no);
    QStringList buttons;
    QString defaultButton, title;
    // Acts once the box's exec() has started.
    QString text;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box);
        title = box->windowTitle();
        text = box->text();
        for (QAbstractButton* b : box->buttons())
            buttons << b->text();
        defaultButton = box->defaultButton() ? box->defaultButton()->text() : QString();
        for (QAbstractButton* b : box->buttons())
            if (b->text() == no)
                b->click();
    });
    ui::QtMessageBoxes boxes;
    const ui::MessageAnswer answer =
        boxes.show(nullptr, {"「vevoz君 for Windows」 を終了しますか？　", "終了確認",
                             ui::MessageIcon::Question, kind, ui::MessageAnswer::Ok});
    QCOMPARE(answer, ui::MessageAnswer::Cancel);
    QCOMPARE(title, QStringLiteral("終了確認"));
    QCOMPARE(text, QStringLiteral("「vevoz君 for Windows」 を終了しますか？　")); // nothing added
    QCOMPARE(buttons, (QStringList{yes, no}));
    QCOMPARE(defaultButton, yes);
}

// A name wider than the screen wraps: every line fits the box, the box fits
// the screen, the closing bracket shows, and a copy of the text is the text.
void TestDialogSeams::messageBoxWrapsLongNames()
{
    const QString name = QString(200, 'x') + ".csv";
    const QString text =
        "ファイルをコピーできませんでした。　\n\n「" + name + "」を作成できません。　";
    testsupport::ModalDialogs dialogs([&](QDialog* dialog) {
        auto* box = qobject_cast<QMessageBox*>(dialog);
        QVERIFY(box);
        auto* label = box->findChild<QLabel*>("qt_msgbox_label");
        QVERIFY(box->frameGeometry().width() <= box->screen()->availableGeometry().width());
        QVERIFY(label->minimumSizeHint().width() <= label->width());
        QVERIFY(label->heightForWidth(label->width()) <= label->height());
        QString shown = label->text();
        QVERIFY(!shown.contains(QStringLiteral("「\u200B")) &&
                !shown.contains(QStringLiteral("\u200B」")));
        QCOMPARE(shown.remove(QChar(0x200B)), text);
        // The user selects the text and copies it.
        QGuiApplication::clipboard()->setText(label->text());
        QCOMPARE(QGuiApplication::clipboard()->text(), text);
        box->buttons().first()->click();
    });
    ui::QtMessageBoxes().show(nullptr, {text, "複写確認", ui::MessageIcon::Warning,
                                        ui::MessageButtons::Ok, ui::MessageAnswer::Ok});
}

QTEST_MAIN(TestDialogSeams)
#include "TestDialogSeams.moc"
