// The real message boxes and file chooser behind the seams, the shared
// chooser's memory, and the texts start-up shows.

#include "FakeUi.h"

#include "app/Startup.h"
#include "ui/common/JapaneseFont.h"
#include "ui/main/CommonDialog.h"
#include "ui/main/StartupMessages.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFontDatabase>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>

using testsupport::ScriptedFileChooser;
using testsupport::ScriptedMessageBoxes;

namespace {

// Runs `act` on the modal window of type T once its exec() has started.
template <typename T> void whenShown(std::function<void(T*)> act)
{
    QTimer::singleShot(0, [act] {
        T* window = qobject_cast<T*>(QApplication::activeModalWidget());
        if (!window) {
            QTest::qWait(50);
            window = qobject_cast<T*>(QApplication::activeModalWidget());
        }
        QVERIFY(window);
        act(window);
    });
}

bool wildcardMatches(const QString& pattern, const QString& name)
{
    return QRegularExpression(QRegularExpression::wildcardToRegularExpression(pattern))
        .match(name)
        .hasMatch();
}

} // namespace

class TestDialogSeams : public QObject
{
    Q_OBJECT

private slots:
    void nameFilters_data();
    void nameFilters();
    void patternsIgnoreCase();
    void commonDialogRemembers();
    void messageBoxAsksInJapanese();
    void messageBoxDismissedIsCancel();
    void okOnlyBox();
    void fileChooserSave();
    void fileChooserCancel();
    void startupWarningKeepsItsEmptyLine();
    void japaneseFaces();
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
    QTest::newRow("several patterns")
        << "Lists|*.csv;*.txt" << QStringList{"Lists (*.[cC][sS][vV] *.[tT][xX][tT])"};
    QTest::newRow("empty") << "" << QStringList{};
}

void TestDialogSeams::nameFilters()
{
    QFETCH(QString, filter);
    QFETCH(QStringList, expected);
    QCOMPARE(ui::toNameFilters(filter), expected);
}

void TestDialogSeams::patternsIgnoreCase()
{
    const QString csv = ui::caseInsensitivePattern("*.csv");
    for (const char* name : {"ken_all.csv", "KEN_ALL.CSV", "Tokyo.Csv"})
        QVERIFY2(wildcardMatches(csv, name), qPrintable(name));
    QVERIFY(!wildcardMatches(csv, "ken_all.txt"));
    QVERIFY(wildcardMatches(ui::caseInsensitivePattern("*.*"), "README"));
    // Non-ASCII letters stay as they are.
    QCOMPARE(ui::caseInsensitivePattern("一覧*.csv"), QStringLiteral("一覧*.[cC][sS][vV]"));
}

void TestDialogSeams::commonDialogRemembers()
{
    ScriptedFileChooser chooser;
    ui::CommonDialog dialog(chooser);
    QCOMPARE(dialog.filter, QStringLiteral("郵便番号一覧ﾌｧｲﾙ(*.CSV)|*.CSV|すべてのﾌｧｲﾙ(*.*)|*.*"));

    dialog.initDir = "/lists";
    dialog.dialogTitle = "first";
    dialog.filter = "(*.csv)|*.csv|";
    chooser.answers.enqueue("/lists/a.csv");
    QVERIFY(dialog.showSave(nullptr));
    QCOMPARE(dialog.fileName, QStringLiteral("/lists/a.csv"));
    QCOMPARE(dialog.fileTitle, QStringLiteral("a.csv"));

    // The next command finds what the last one left, including the file name.
    QVERIFY(!dialog.showOpen(nullptr));
    const ui::FileDialogRequest& second = chooser.asked[1];
    QCOMPARE(second.mode, ui::FileDialogMode::Open);
    QCOMPARE(second.folder, QStringLiteral("/lists"));
    QCOMPARE(second.title, QStringLiteral("first"));
    QCOMPARE(second.filter, QStringLiteral("(*.csv)|*.csv|"));
    QCOMPARE(second.fileName, QStringLiteral("/lists/a.csv"));
    // A cancel leaves the name as it was.
    QCOMPARE(dialog.fileName, QStringLiteral("/lists/a.csv"));
}

void TestDialogSeams::messageBoxAsksInJapanese()
{
    ui::QtMessageBoxes boxes;
    QString text, title;
    QStringList buttons;
    QMessageBox::Icon icon{};
    QString defaultButton;
    whenShown<QMessageBox>([&](QMessageBox* box) {
        text = box->text();
        title = box->windowTitle();
        icon = box->icon();
        for (QAbstractButton* b : box->buttons())
            buttons << b->text();
        defaultButton = box->defaultButton() ? box->defaultButton()->text() : QString();
        for (QAbstractButton* b : box->buttons())
            if (b->text() == QStringLiteral("キャンセル"))
                b->click();
    });
    const ui::MessageAnswer answer = boxes.show(
        nullptr, {"「<b>x</b>」 を終了しますか？　", "終了確認", ui::MessageIcon::Question,
                  ui::MessageButtons::OkCancel, ui::MessageAnswer::Ok});
    QCOMPARE(answer, ui::MessageAnswer::Cancel);
    QCOMPARE(text, QStringLiteral("「<b>x</b>」 を終了しますか？　"));
    QCOMPARE(title, QStringLiteral("終了確認"));
    QCOMPARE(icon, QMessageBox::Question);
    buttons.sort();
    QCOMPARE(buttons, (QStringList{"OK", "キャンセル"}));
    QCOMPARE(defaultButton, QStringLiteral("OK"));

    whenShown<QMessageBox>([](QMessageBox* box) { box->defaultButton()->click(); });
    QCOMPARE(boxes.show(nullptr, {"?", "t", ui::MessageIcon::Question, ui::MessageButtons::OkCancel,
                                  ui::MessageAnswer::Ok}),
             ui::MessageAnswer::Ok);
}

void TestDialogSeams::messageBoxDismissedIsCancel()
{
    ui::QtMessageBoxes boxes;
    whenShown<QMessageBox>([](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); });
    QCOMPARE(boxes.show(nullptr, {"?", "t", ui::MessageIcon::Question, ui::MessageButtons::OkCancel,
                                  ui::MessageAnswer::Ok}),
             ui::MessageAnswer::Cancel);
}

void TestDialogSeams::okOnlyBox()
{
    ui::QtMessageBoxes boxes;
    QStringList buttons;
    QMessageBox::Icon icon{};
    whenShown<QMessageBox>([&](QMessageBox* box) {
        icon = box->icon();
        for (QAbstractButton* b : box->buttons())
            buttons << b->text();
        box->buttons().first()->click();
    });
    boxes.warn(nullptr, "保存する都道府県が指定されていません。　", "指定確認");
    QCOMPARE(buttons, QStringList{"OK"});
    QCOMPARE(icon, QMessageBox::Warning);
}

void TestDialogSeams::fileChooserSave()
{
    QTemporaryDir dir;
    ui::QtFileChooser chooser;
    QString title;
    QStringList filters;
    bool hidesDetails = false, confirmsOverwrite = false, saves = false;
    QString folder;
    whenShown<QFileDialog>([&](QFileDialog* dialog) {
        title = dialog->windowTitle();
        filters = dialog->nameFilters();
        hidesDetails = dialog->testOption(QFileDialog::HideNameFilterDetails);
        confirmsOverwrite = !dialog->testOption(QFileDialog::DontConfirmOverwrite);
        saves = dialog->acceptMode() == QFileDialog::AcceptSave;
        folder = dialog->directory().absolutePath();
        dialog->selectFile(QStringLiteral("新しい一覧.csv"));
        static_cast<QDialog*>(dialog)->accept(); // as the dialog's own Save button does
    });
    const QString chosen = chooser.choose(
        nullptr, {ui::FileDialogMode::Save, "保存ﾌｧｲﾙを選択", dir.path(), "", "(*.csv)|*.csv|"});
    QCOMPARE(chosen, QDir(dir.path()).absoluteFilePath(QStringLiteral("新しい一覧.csv")));
    QCOMPARE(title, QStringLiteral("保存ﾌｧｲﾙを選択"));
    QCOMPARE(filters, QStringList{"(*.csv) (*.[cC][sS][vV])"});
    QVERIFY(hidesDetails);
    QVERIFY(confirmsOverwrite);
    QVERIFY(saves);
    QCOMPARE(folder, QDir(dir.path()).absolutePath());
}

void TestDialogSeams::fileChooserCancel()
{
    ui::QtFileChooser chooser;
    whenShown<QFileDialog>([](QFileDialog* dialog) { dialog->reject(); });
    QVERIFY(chooser
                .choose(nullptr,
                        {ui::FileDialogMode::Open, "t", QDir::tempPath(), "", "(*.csv)|*.csv|"})
                .isEmpty());
}

void TestDialogSeams::startupWarningKeepsItsEmptyLine()
{
    ScriptedMessageBoxes boxes;
    ui::StartupMessages startup(boxes);
    startup.warn(app::missingListText(), app::kMissingListTitle);
    QCOMPARE(boxes.shown.size(), 1);
    QCOMPARE(boxes.shown[0].icon, ui::MessageIcon::Warning);
    QCOMPARE(boxes.shown[0].buttons, ui::MessageButtons::Ok);
    QCOMPARE(boxes.shown[0].title, QStringLiteral("フォルダ確認"));
    const QStringList lines = ui::toDisplayLines(boxes.shown[0].text).split('\n');
    QCOMPARE(lines.size(), 3);
    QCOMPARE(lines[0],
             QStringLiteral(
                 "指定されたフォルダに 「全国版の郵便番号一覧 KEN_ALL.CSV」 が存在しません。　"));
    QVERIFY(lines[1].isEmpty());
    QCOMPARE(lines[2],
             QStringLiteral(
                 "各種設定画面 「ken_all.csv 保存先」 タブから、フォルダを設定して下さい。  "));

    // The box shows carriage returns as line breaks too.
    QCOMPARE(ui::toDisplayLines("a\r\rb"), QStringLiteral("a\n\nb"));
    QCOMPARE(ui::toDisplayLines("a\r\n\r\nb"), QStringLiteral("a\n\nb"));
}

void TestDialogSeams::japaneseFaces()
{
    const QStringList installed = QFontDatabase::families();
    for (const QString& face : {QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("ＭＳ ゴシック"),
                                QStringLiteral("ＭＳ 明朝"), QStringLiteral("MS UI Gothic")}) {
        const QString family = ui::japaneseFamily(face);
        QVERIFY2(installed.contains(family), qPrintable(face + " -> " + family));
        QVERIFY2(QFontDatabase::writingSystems(family).contains(QFontDatabase::Japanese),
                 qPrintable(family));
    }
    if (!installed.contains(QStringLiteral("ＭＳ ゴシック")) &&
        installed.contains("Noto Sans Mono CJK JP"))
        QCOMPARE(ui::japaneseFamily(QStringLiteral("ＭＳ ゴシック")),
                 QStringLiteral("Noto Sans Mono CJK JP"));
}

QTEST_MAIN(TestDialogSeams)
#include "TestDialogSeams.moc"
