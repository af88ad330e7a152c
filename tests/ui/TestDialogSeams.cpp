// The real message box behind the seam, and the filter texts the file
// chooser is given.

#include "ModalDialogs.h"

#include "ui/common/FileChooser.h"
#include "ui/common/MessageBoxes.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

class TestDialogSeams : public QObject
{
    Q_OBJECT

private slots:
    void nameFilters();
    void messageBoxAsksInJapanese();
    void messageBoxWrapsLongNames();
};

void TestDialogSeams::nameFilters()
{
    const std::pair<QString, QStringList> cases[] = {
        {"郵便番号一覧ﾌｧｲﾙ(*.CSV)|*.CSV|すべてのﾌｧｲﾙ(*.*)|*.*",
         {"郵便番号一覧ﾌｧｲﾙ(*.CSV) (*.[cC][sS][vV])", "すべてのﾌｧｲﾙ(*.*) (*)"}},
        {"(*.csv)|*.csv|", {"(*.csv) (*.[cC][sS][vV])"}},  // a trailing bar
        {"Lists|*.csv;一覧*.txt", {"Lists (*.[cC][sS][vV] 一覧*.[tT][xX][tT])"}},  // letters outside ASCII kept
        {"", {}}};
    for (const auto& [filter, expected] : cases)
        QCOMPARE(ui::toNameFilters(filter), expected);
}

// The buttons in Japanese, the one asked for the default; the text as given.
void TestDialogSeams::messageBoxAsksInJapanese()
{
    const QString question = QStringLiteral("「vevoz君 for Windows」 を終了しますか？　");
    // The buttons from the left, then the default one.
    const std::tuple<ui::MessageButtons, ui::MessageAnswer, QStringList> cases[] = {
        {ui::MessageButtons::OkCancel, ui::MessageAnswer::Ok, {"OK", "キャンセル", "OK"}},
        {ui::MessageButtons::YesNo, ui::MessageAnswer::Ok, {"はい", "いいえ", "はい"}},
        {ui::MessageButtons::OkCancel, ui::MessageAnswer::Cancel, {"OK", "キャンセル", "キャンセル"}}};
    for (const auto& [kind, defaultAnswer, buttons] : cases) {
        QStringList shown;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            shown << box->windowTitle() << box->text();
            for (QAbstractButton* b : box->buttons())
                shown << b->text();
            shown << box->defaultButton()->text();
            box->buttons().constLast()->click();  // the one that says no
        });
        const ui::MessageAnswer answer =
            ui::QtMessageBoxes().show(nullptr, {question, "終了確認", ui::MessageIcon::Question, kind, defaultAnswer});
        QCOMPARE(shown, QStringList({"終了確認", question}) + buttons);
        QCOMPARE(answer, ui::MessageAnswer::Cancel);
    }
}

// A name wider than the screen wraps: every line fits the box, the box fits
// the screen, the closing bracket shows, and a copy of the text is the text.
void TestDialogSeams::messageBoxWrapsLongNames()
{
    const QString name = QString(200, 'x') + ".csv";
    const QString text = "ファイルをコピーできませんでした。　\n\n「" + name + "」を作成できません。　";
    testsupport::ModalDialogs dialogs([&](QDialog* dialog) {
        auto* box = qobject_cast<QMessageBox*>(dialog);
        QVERIFY(box);
        auto* label = box->findChild<QLabel*>("qt_msgbox_label");
        QVERIFY(box->frameGeometry().width() <= box->screen()->availableGeometry().width());
        QVERIFY(label->minimumSizeHint().width() <= label->width());
        QVERIFY(label->heightForWidth(label->width()) <= label->height());
        QString shown = label->text();
        QVERIFY(!shown.contains(QStringLiteral("「\u200B")) && !shown.contains(QStringLiteral("\u200B」")));
        QCOMPARE(shown.remove(QChar(0x200B)), text);
        // The user selects the text and copies it.
        QGuiApplication::clipboard()->setText(label->text());
        QCOMPARE(QGuiApplication::clipboard()->text(), text);
        box->buttons().first()->click();
    });
    ui::QtMessageBoxes().show(nullptr, {text, "複写確認", ui::MessageIcon::Warning, ui::MessageButtons::Ok,
                                        ui::MessageAnswer::Ok});
}

QTEST_MAIN(TestDialogSeams)
#include "TestDialogSeams.moc"
