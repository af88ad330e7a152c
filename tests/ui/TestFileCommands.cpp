// The copy, rename and delete commands from the main window on real files:
// what the chooser is asked, what the dialogs show, what the user is told,
// and which files exist afterwards.

#include "ModalDialogs.h"
#include "RunningProgram.h"
#include "tests/postal/ListLines.h"
#include "tests/support/System.h"

#include "ui/common/JapaneseFont.h"
#include "ui/common/PathText.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace fs = std::filesystem;
using testsupport::ModalDialogs;
using testsupport::readFile;
using testsupport::writeFile;

Q_DECLARE_METATYPE(ui::MessageIcon)

namespace {

const std::string kList = "13101,\"100  \",\"1000000\"\r\n";
const std::string kOther = "14101,\"220  \",\"2200000\"\r\n";
const QString kTwoEntries = QStringLiteral("郵便番号一覧ﾌｧｲﾙ(*.CSV)|*.CSV|すべてのﾌｧｲﾙ(*.*)|*.*");
const QString kCsvOnly = QStringLiteral("(*.csv)|*.csv|");

QColor textColour(const QWidget* w) { return w->palette().color(w->foregroundRole()); }
QColor backgroundColour(const QWidget* w) { return w->palette().color(w->backgroundRole()); }

} // namespace

class TestFileCommands : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup() { fs::current_path(oldCurrent_); }
    void choosers_data();
    void choosers();
    void dialogsLook_data();
    void dialogsLook();
    void longName_data();
    void longName();
    void okOutcome_data();
    void okOutcome();
    void deleteCommand_data();
    void deleteCommand();

private:
    void run(const QString& command) { testsupport::runCommand(*window_, command); }
    // Path text for a name in the test's folder.
    QString at(const QString& name) const { return ui::fromPath(dir_->path()) + "/" + name; }

    std::optional<testsupport::TempDir> dir_;
    std::optional<testsupport::TempDir> listDir_;
    std::optional<testsupport::MemorySettingsStore> store_;
    std::optional<testsupport::RunningProgram> program_;
    ui::MainWindow* window_ = nullptr;
    fs::path source_;
    fs::path oldCurrent_;
};

void TestFileCommands::init()
{
    program_.reset();
    dir_.emplace();
    store_.emplace();
    source_ = dir_->path() / "kanto.csv";
    writeFile(source_, kList);
    writeFile(dir_->path() / "other.csv", kOther);
    fs::create_directory(dir_->path() / "sub");
    // A list loaded, so the export asks for a file too.
    listDir_.emplace();
    writeFile(*listDir_ / "ken_all.csv", testlines::line("13101"));
    program_.emplace(*store_, dir_->path(), *listDir_ / "ken_all.csv");
    window_ = &program_->open();
    // A bare name lands in the current folder: the test's own.
    oldCurrent_ = fs::current_path();
    fs::current_path(dir_->path());
}

// Each command prepares the shared chooser its own way, the rename keeping
// the filter the last command left; a cancel ends it with no dialog and no
// message, and an empty selected-file name.
void TestFileCommands::choosers_data()
{
    QTest::addColumn<QString>("before"); // a command whose chooser was cancelled
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("filter");
    const QString copy = "ｺﾋﾟｰするﾌｧｲﾙを選択", rename = "名前を変更するﾌｧｲﾙを選択";
    QTest::newRow("copy") << "" << "mnuEditCopy" << copy << kCsvOnly;
    QTest::newRow("delete") << "" << "mnuEditDelete" << "削除するﾌｧｲﾙを選択" << kCsvOnly;
    QTest::newRow("rename, first") << "" << "mnuEditRename" << rename << kTwoEntries;
    QTest::newRow("rename again") << "mnuEditRename" << "mnuEditRename" << rename << kTwoEntries;
    QTest::newRow("rename after the export") << "mnuFileSave" << "mnuEditRename" << rename << kCsvOnly;
    QTest::newRow("rename after a copy") << "mnuEditCopy" << "mnuEditRename" << rename << kCsvOnly;
    QTest::newRow("rename after a delete") << "mnuEditDelete" << "mnuEditRename" << rename << kCsvOnly;
}

void TestFileCommands::choosers()
{
    QFETCH(QString, before);
    QFETCH(QString, command);
    QFETCH(QString, title);
    QFETCH(QString, filter);
    if (!before.isEmpty())
        run(before);
    program_->state->setSelectedFile("/earlier/choice.csv");
    window_->commonDialog().setFileName("/earlier/choice.csv");
    ModalDialogs dialogs;
    run(command);

    QCOMPARE(program_->fake.files.asked.size(), before.isEmpty() ? 1 : 2);
    const ui::FileDialogRequest& asked = program_->fake.files.asked.last();
    QCOMPARE(asked.mode, ui::FileDialogMode::Open);
    QCOMPARE(asked.title, title);
    QCOMPARE(asked.filter, filter);
    QCOMPARE(asked.folder, ui::fromPath(dir_->path())); // the program's folder
    QCOMPARE(asked.fileName, QString());
    QVERIFY(program_->state->selectedFile().empty());
    QVERIFY(dialogs.shown.isEmpty() && program_->fake.messages.shown.isEmpty());
}

void TestFileCommands::dialogsLook_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("objectName");
    QTest::addColumn<QString>("caption");
    // objectName|text|tooltip|colour: y yellow, l light yellow; a capital for the
    // name display and the text box, on dark grey in the fixed-pitch face.
    QTest::addColumn<QStringList>("widgets");
    QTest::addColumn<int>("context");   // of its help page
    QTest::addColumn<bool>("closeBox"); // how it is left; else キャンセル
    QTest::newRow("copy, キャンセル") << "mnuEditCopy" << "FILESCOPY" << "ファイルのコピー"
                          << QStringList{"Label1|ｺﾋﾟｰ先のﾌｧｲﾙ名を入力して、OKﾎﾞﾀﾝを押して下さい。||y",
                                         "Label2|コピー元| コピー元 |l",
                                         "Label3|東京 23区.csv| ｺﾋﾟｰ元 |L",
                                         "Label4|コピー先| コピー先 |y", "Text1|| ｺﾋﾟｰ先 |Y"}
                          << 10019 << false;
    QTest::newRow("rename, close box") << "mnuEditRename" << "RENAME" << "ﾌｧｲﾙ名の変更"
                            << QStringList{"Label1|新しいﾌｧｲﾙ名を入力して、OKﾎﾞﾀﾝを押して下さい。||y",
                                           "Label3|元の名前| 元の名前 |l",
                                           "Label2|東京 23区.csv| 元の名前 |L",
                                           "Label4|新しい名前| 新しい名前 |y",
                                           "Text1|| 新しい名前 |Y"}
                            << 10020 << true;
}

// What each dialog shows, the keyboard in it, its help page, and leaving it.
void TestFileCommands::dialogsLook()
{
    QFETCH(QString, command);
    QFETCH(QString, objectName);
    QFETCH(QString, caption);
    QFETCH(QStringList, widgets);
    QFETCH(int, context);
    QFETCH(bool, closeBox);
    const QColor yellow(255, 255, 0), lightYellow(255, 255, 128), darkGrey(64, 64, 64);
    const QString fixedFamily = ui::japaneseFamily(QStringLiteral("ＭＳ ゴシック"));

    // The name display shows the file's name, never its folder.
    writeFile(dir_->path() / "sub" / "東京 23区.csv", kList);
    program_->fake.files.answers.enqueue(at("sub/東京 23区.csv"));
    QStringList visited;
    bool keptOpen = false;
    QDialog* shownDialog = nullptr;
    ModalDialogs dialogs([&](QDialog* dialog) {
        shownDialog = dialog;
        QCOMPARE(dialog->objectName(), objectName);
        QCOMPARE(dialog->windowTitle(), caption);
        QCOMPARE(dialog->palette().color(QPalette::Window), QColor(128, 128, 128));
        QCOMPARE(dialog->windowType(), Qt::Dialog);
        QVERIFY(!(dialog->windowFlags() &
                  (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        QCOMPARE(dialog->minimumSize(), dialog->maximumSize());
        for (const QString& row : widgets) {
            const QStringList f = row.split('|');
            auto* widget = dialog->findChild<QWidget*>(f[0]);
            QVERIFY2(widget, qPrintable(f[0]));
            const bool boxed = f[3][0].isUpper();
            QCOMPARE(widget->property("text").toString(), f[1]);
            QCOMPARE(widget->toolTip(), f[2]);
            QCOMPARE(textColour(widget), f[3].toLower() == "y" ? yellow : lightYellow);
            QCOMPARE(widget->font().family() == fixedFamily, boxed);
            if (boxed)
                QCOMPARE(backgroundColour(widget), darkGrey);
            if (auto* label = qobject_cast<QLabel*>(widget); label && boxed)
                QVERIFY(label->frameStyle() != QFrame::NoFrame);
        }
        const QStringList buttons{"OK", "キャンセル", "ヘルプ"};
        for (int i = 0; i < 3; ++i) {
            auto* button = dialog->findChild<QPushButton*>(QString("Command1_%1").arg(i));
            QCOMPARE(button->text(), buttons[i]);
            QCOMPARE(button->toolTip(), " " + buttons[i] + " ");
            QVERIFY(!button->isDefault() && !button->autoDefault());
        }
        // The text box has the focus; Tab goes on to the three buttons.
        QApplication::setActiveWindow(dialog);
        QVERIFY(QTest::qWaitForWindowActive(dialog));
        for (int i = 0; i < 5; ++i) {
            visited << QApplication::focusWidget()->objectName();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        // Enter in the text box and Escape do nothing: no default or cancel button.
        auto* text = dialog->findChild<QLineEdit*>("Text1");
        text->setFocus();
        QTest::keyClick(text, Qt::Key_Return);
        QTest::keyClick(text, Qt::Key_Escape);
        QVERIFY(dialog->isVisible());
        // ヘルプ opens the dialog's own page and keeps the typed text; leaving
        // changes no file and shows nothing.
        QTest::keyClicks(text, "other.csv ");
        dialog->findChild<QPushButton*>("Command1_2")->click();
        keptOpen = dialog->isVisible() && text->text() == "other.csv ";
        if (closeBox)
            dialog->close();
        else
            dialog->findChild<QPushButton*>("Command1_1")->click();
    });
    run(command);
    QCOMPARE(dialogs.shown, QStringList{objectName});
    QCOMPARE(visited, (QStringList{"Text1", "Command1_0", "Command1_1", "Command1_2", "Text1"}));
    QVERIFY(keptOpen);
    QCOMPARE(program_->fake.help.contexts, QList<int>{context});
    QCOMPARE(program_->fake.help.owners, QList<QWidget*>{shownDialog});
    QVERIFY(program_->fake.messages.shown.isEmpty());
    QCOMPARE(readFile(dir_->path() / "sub" / "東京 23区.csv"), kList);
    QVERIFY(!fs::exists(dir_->path() / "other.csv ") && !fs::exists(dir_->path() / "sub" / "other.csv "));
    QCOMPARE(program_->state->selectedFile(), dir_->path() / "sub" / "東京 23区.csv");
}

void TestFileCommands::longName_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("display");
    QTest::addColumn<QString>("tooltip");
    QTest::newRow("copy") << "mnuEditCopy" << "Label3" << " ｺﾋﾟｰ元 ";
    QTest::newRow("rename") << "mnuEditRename" << "Label2" << " 元の名前 ";
}

// A 204-character name keeps the dialog to the width of its text box, and
// on the screen: shortened in its middle, whole in the tooltip under the
// tooltip's own text.
void TestFileCommands::longName()
{
    QFETCH(QString, command);
    QFETCH(QString, display);
    QFETCH(QString, tooltip);
    const QString name = QString(200, 'x') + ".csv";
    writeFile(dir_->path() / ui::toPath(name), kList);
    program_->fake.files.answers.enqueue(at(name));
    ModalDialogs dialogs([&](QDialog* dialog) {
        auto* shown = dialog->findChild<QLabel*>(display);
        QVERIFY(dialog->frameGeometry().width() <= program_->fake.screen.pixels.width());
        QVERIFY(shown->sizeHint().width() <= dialog->findChild<QLineEdit*>("Text1")->width());
        QVERIFY(shown->text().startsWith("xxx") && shown->text().endsWith("xx.csv"));
        QVERIFY(shown->text().contains(QChar(0x2026)));
        QCOMPARE(shown->toolTip().remove(QChar(0x200B)), tooltip + "\n" + name);
    });
    run(command);
    QCOMPARE(dialogs.shown.size(), 1);
}

// OK with a typed text: what the user is told, and where the focus is when the
// dialog stays for a correction; there a second OK with "second.csv" goes
// ahead. "files" are those in the folder afterwards; "<dir>" is the folder.
void TestFileCommands::okOutcome_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<ui::MessageIcon>("icon");
    QTest::addColumn<QString>("text");      // the whole text, or how a warning starts
    QTest::addColumn<QString>("reason");    // part of a warning's reason
    QTest::addColumn<QString>("focus");     // after the message; empty: the dialog closed
    QTest::addColumn<QStringList>("files"); // name=content: L the list, O the other
    const auto info = ui::MessageIcon::Information;
    const auto warning = ui::MessageIcon::Warning;
    const QString copied = QStringLiteral("ファイルをコピーしました。　");
    const QString notCopied = QStringLiteral("ファイルをコピーできませんでした。　\n\n");
    const QString renamed = QStringLiteral("ﾌｧｲﾙ名を変更しました。　");
    const QString notRenamed = QStringLiteral("ﾌｧｲﾙ名を変更できませんでした。　\n\n");
    const QStringList copiedToSecond{"kanto.csv=L", "other.csv=O", "second.csv=L"};
    const QStringList renamedToSecond{"other.csv=O", "second.csv=L"};

    QTest::newRow("copy, bare name, no extension added")
        << "copy" << "kanto2" << info << copied << "" << ""
        << QStringList{"kanto.csv=L", "kanto2=L", "other.csv=O"};
    QTest::newRow("copy, only blanks") << "copy" << "  " << info << copied << "" << ""
                                       << QStringList{"  =L", "kanto.csv=L", "other.csv=O"};
    QTest::newRow("copy, with folder") << "copy" << "<dir>/sub/k.csv" << info << copied << "" << ""
                                       << QStringList{"kanto.csv=L", "other.csv=O", "sub/k.csv=L"};
    QTest::newRow("copy, replaces without asking") << "copy" << "other.csv" << info << copied << ""
                                                   << "" << QStringList{"kanto.csv=L", "other.csv=L"};
    QTest::newRow("copy, nothing typed")
        << "copy" << "" << info << "コピー先が入力されていません。　" << "" << "Command1_0"
        << copiedToSecond;
    QTest::newRow("copy onto itself") << "copy" << "<dir>/sub/../kanto.csv" << warning << notCopied
                                      << "コピー元のファイルそのもの" << "Text1" << copiedToSecond;
    QTest::newRow("copy, folder missing") << "copy" << "nowhere/k.csv" << warning << notCopied
                                          << "フォルダ「nowhere」がありません" << "Text1"
                                          << copiedToSecond;
    QTest::newRow("copy, a folder in the way") << "copy" << "sub" << warning << notCopied
                                               << "「sub」はフォルダです" << "Text1" << copiedToSecond;
    QTest::newRow("copy onto a read-only file")
        << "copy" << "locked.csv" << warning << notCopied << "「locked.csv」は書き込みが禁止されたファイルです"
        << "Text1" << QStringList{"kanto.csv=L", "locked.csv=O", "other.csv=O", "second.csv=L"};
    QTest::newRow("copy, disk full") << "copy" << "full" << warning << notCopied << "空き容量"
                                     << "Text1" << copiedToSecond;
    QTest::newRow("rename, bare name") << "rename" << "kanto2" << info << renamed << "" << ""
                                       << QStringList{"kanto2=L", "other.csv=O"};
    QTest::newRow("rename, into a folder") << "rename" << "<dir>/sub/k.csv" << info << renamed << ""
                                           << "" << QStringList{"other.csv=O", "sub/k.csv=L"};
    QTest::newRow("rename, nothing typed")
        << "rename" << "" << info << "新しい名前が入力されていません。　" << "" << "Text1"
        << renamedToSecond;
    QTest::newRow("rename onto an existing file")
        << "rename" << "other.csv" << warning << notRenamed
        << "「other.csv」という名前のファイルまたはフォルダが既にあります" << "Text1" << renamedToSecond;
    QTest::newRow("rename onto a folder") << "rename" << "sub" << warning << notRenamed
                                          << "既にあります" << "Text1" << renamedToSecond;
    QTest::newRow("rename, folder missing") << "rename" << "nowhere/k.csv" << warning << notRenamed
                                            << "フォルダ「nowhere」がありません" << "Text1"
                                            << renamedToSecond;
}

void TestFileCommands::okOutcome()
{
    QFETCH(QString, command);
    QFETCH(QString, typed);
    QFETCH(ui::MessageIcon, icon);
    QFETCH(QString, text);
    QFETCH(QString, reason);
    QFETCH(QString, focus);
    QFETCH(QStringList, files);
    typed.replace("<dir>", ui::fromPath(dir_->path()));
    if (typed == "locked.csv") { // read-only, and so left alone
        writeFile(dir_->path() / "locked.csv", kOther);
        fs::permissions(dir_->path() / "locked.csv", fs::perms(0444));
    }
    if (typed == "full" && testsupport::makeDevice(*dir_, "full").empty())
        QSKIP(testsupport::kNoDevice);
    const QString title = command == "copy" ? "複写確認" : "変更確認";
    program_->fake.files.answers.enqueue(ui::fromPath(source_));

    QString textAfter, focusAfter;
    ModalDialogs dialogs([&](QDialog* dialog) {
        auto* box = dialog->findChild<QLineEdit*>("Text1");
        auto* ok = dialog->findChild<QPushButton*>("Command1_0");
        QTest::keyClicks(box, typed);
        ok->setFocus();
        ok->click();
        if (!dialog->isVisible())
            return;
        textAfter = box->text();
        focusAfter = dialog->focusWidget() ? dialog->focusWidget()->objectName() : "none";
        box->setText("second.csv");
        ok->click();
    });
    run(command == "copy" ? "mnuEditCopy" : "mnuEditRename");

    const auto& shown = program_->fake.messages.shown;
    QCOMPARE(shown.size(), focus.isEmpty() ? 1 : 2);
    QCOMPARE(shown[0].title, typed.isEmpty() ? QStringLiteral("入力確認") : title);
    QCOMPARE(shown[0].icon, icon);
    QCOMPARE(shown[0].buttons, ui::MessageButtons::Ok);
    if (reason.isEmpty()) {
        QCOMPARE(shown[0].text, text);
    } else { // the reason, in the program's style
        QVERIFY2(shown[0].text.startsWith(text), qPrintable(shown[0].text));
        QVERIFY2(shown[0].text.contains(reason), qPrintable(shown[0].text));
        QVERIFY(shown[0].text.endsWith(QStringLiteral("。　")));
    }
    QCOMPARE(focusAfter, focus);
    if (!focus.isEmpty()) {
        QCOMPARE(textAfter, typed);
        QCOMPARE(shown[1].title, title);
        QCOMPARE(shown[1].icon, ui::MessageIcon::Information);
    }

    QStringList found;
    for (const auto& entry : fs::recursive_directory_iterator(dir_->path())) {
        if (!entry.is_regular_file())
            continue;
        const std::string content = readFile(entry.path());
        found << ui::fromPath(entry.path().lexically_relative(dir_->path())) + "=" +
                     (content == kList ? "L" : content == kOther ? "O" : "?");
    }
    found.sort();
    QCOMPARE(found, files);
}

void TestFileCommands::deleteCommand_data()
{
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<bool>("confirm");
    QTest::addColumn<QString>("title"); // of the second box; empty: none
    QTest::addColumn<QString>("text");  // how it starts
    QTest::newRow("OK deletes") << "kanto.csv" << true << "削除情報"
                                << "指定されたﾌｧｲﾙを削除しました。　";
    QTest::newRow("キャンセル keeps") << "kanto.csv" << false << "" << "";
    QTest::newRow("gone meanwhile") << "gone.csv" << true << "削除確認"
                                    << "指定されたﾌｧｲﾙを削除できませんでした。　\n\n「";
}

void TestFileCommands::deleteCommand()
{
    QFETCH(QString, chosen);
    QFETCH(bool, confirm);
    QFETCH(QString, title);
    QFETCH(QString, text);
    program_->fake.files.answers.enqueue(at(chosen));
    program_->fake.messages.answers.enqueue(confirm ? ui::MessageAnswer::Ok
                                                    : ui::MessageAnswer::Cancel);
    run("mnuEditDelete");

    const auto& shown = program_->fake.messages.shown;
    QCOMPARE(shown.size(), title.isEmpty() ? 1 : 2);
    QCOMPARE(shown[0].text, QStringLiteral("指定されたﾌｧｲﾙを削除しますか？　"));
    QCOMPARE(shown[0].title, QStringLiteral("削除確認"));
    QCOMPARE(shown[0].icon, ui::MessageIcon::Question);
    QCOMPARE(shown[0].buttons, ui::MessageButtons::OkCancel);
    QCOMPARE(shown[0].defaultButton, ui::MessageAnswer::Ok);
    if (!title.isEmpty()) {
        QCOMPARE(shown[1].title, title);
        QCOMPARE(shown[1].icon, chosen == "gone.csv" ? ui::MessageIcon::Warning
                                                     : ui::MessageIcon::Information);
        QVERIFY2(shown[1].text.startsWith(text), qPrintable(shown[1].text));
        QVERIFY(shown[1].text.endsWith(QStringLiteral("　")));
    }
    QCOMPARE(fs::exists(source_), !(confirm && chosen == "kanto.csv"));
    QCOMPARE(readFile(dir_->path() / "other.csv"), kOther);
    QCOMPARE(program_->state->selectedFile(), ui::toPath(at(chosen)));
}

QTEST_MAIN(TestFileCommands)
#include "TestFileCommands.moc"
