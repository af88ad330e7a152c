// The save, copy, rename and delete commands from the main window on real
// files: what the chooser is asked, what the dialogs show, what the user is
// told, and which files exist afterwards.

#include "ModalDialogs.h"
#include "RunningProgram.h"
#include "tests/postal/ListLines.h"
#include "tests/support/System.h"
#include "tests/support/ZipPacking.h"

#include "ui/common/JapaneseFont.h"
#include "ui/common/PathText.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace fs = std::filesystem;
using testsupport::ModalDialogs;
using testsupport::readFile;
using testsupport::writeFile;

namespace {

const std::string kList = "13101,\"100  \",\"1000000\"\r\n";
const std::string kOther = "14101,\"220  \",\"2200000\"\r\n";
const QString kCsvOnly = QStringLiteral("(*.csv)|*.csv|");
const std::string kSaved =
    testlines::line("01101") + testlines::line("13101") + testlines::line("47201");
const std::string kOffices = testlines::officeLine("01101") + testlines::officeLine("13101") +
                             testlines::officeLine("13102") + testlines::officeLine("14101") +
                             testlines::officeLine("47201");

QColor textColour(const QWidget* w) { return w->palette().color(w->foregroundRole()); }

// OK with a typed text in the copy or rename dialog. Where the dialog stays
// for a correction, a second OK with "second.csv" goes ahead.
struct Typed
{
    QString command; // "copy" or "rename"
    QString typed;   // "<dir>" is the test's folder
    ui::MessageIcon icon;
    QString text;      // the whole text, or how a warning starts
    QString reason;    // part of a warning's reason
    QString focus;     // after the message; empty: the dialog closed
    QStringList files; // afterwards, name=content: L the list, O the other
};

// What the save command shows, and the file it leaves.
struct Save
{
    QString answer; // the chooser's, in the program folder; empty cancels
    QString ticked; // the boxes: "all", none, or their indexes
    QString title;  // of the one box shown; empty: none
    ui::MessageIcon icon;
    QString text; // how the text starts
    bool listLoaded;
    QString reason; // the text holds it too; "<dir>" is the test's folder
    // The business list's save, and what the list folder holds:
    // JIGYOSYO.CSV, jigyosyo.zip, "damaged", "nationwide" in its place.
    QString offices{};
};

} // namespace

Q_DECLARE_METATYPE(ui::MessageIcon)
Q_DECLARE_METATYPE(Typed)
Q_DECLARE_METATYPE(Save)

class TestFileCommands : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup() { fs::current_path(oldCurrent_); }
    void dialogsLook_data();
    void dialogsLook();
    void okOutcome_data();
    void okOutcome();
    void deleteCommand_data();
    void deleteCommand();
    void save_data();
    void save();

private:
    void start(const std::optional<fs::path>& list);
    void run(const QString& command) { testsupport::runCommand(*window_, command); }
    // Path text for a name in the test's folder.
    QString at(const QString& name) const { return ui::fromPath(dir_->path()) + "/" + name; }

    std::optional<testsupport::TempDir> dir_;
    testsupport::TempDir listDir_;
    std::optional<testsupport::MemorySettingsStore> store_;
    std::optional<testsupport::RunningProgram> program_;
    ui::MainWindow* window_ = nullptr;
    fs::path source_;
    fs::path oldCurrent_;
};

void TestFileCommands::init()
{
    dir_.emplace();
    source_ = dir_->path() / "kanto.csv";
    writeFile(source_, kList);
    writeFile(dir_->path() / "other.csv", kOther);
    fs::create_directory(dir_->path() / "sub");
    // A list loaded, so the export asks for a file too.
    writeFile(listDir_ / "ken_all.csv", kSaved);
    start(listDir_ / "ken_all.csv");
    // A bare name lands in the current folder: the test's own.
    oldCurrent_ = fs::current_path();
    fs::current_path(dir_->path());
}

void TestFileCommands::start(const std::optional<fs::path>& list)
{
    program_.reset();
    store_.emplace();
    program_.emplace(*store_, dir_->path(), list);
    window_ = &program_->open();
}

void TestFileCommands::dialogsLook_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("caption"); // objectName|title
    QTest::addColumn<QString>("name");    // of the file chosen, in `sub`: @ stands for it below
    // objectName|text|tooltip|colour: y yellow, l light yellow; a capital for the
    // name display and the text box, on dark grey in the fixed-pitch face.
    QTest::addColumn<QStringList>("widgets");
    QTest::addColumn<int>("context");   // of its help page
    QTest::addColumn<bool>("closeBox"); // how it is left; else キャンセル
    // clang-format off
    QTest::newRow("copy, キャンセル")
        << "mnuEditCopy" << "FILESCOPY|ファイルのコピー" << "東京 23区.csv"
        << QStringList{"Label1|ｺﾋﾟｰ先のﾌｧｲﾙ名を入力して、OKﾎﾞﾀﾝを押して下さい。||y", "Label2|コピー元| コピー元 |l",
                       "Label3|@| ｺﾋﾟｰ元 |L", "Label4|コピー先| コピー先 |y", "Text1|| ｺﾋﾟｰ先 |Y"}
        << 10019 << false;
    QTest::newRow("rename, close box")
        << "mnuEditRename" << "RENAME|ﾌｧｲﾙ名の変更" << QString(200, 'x') + ".csv"
        << QStringList{"Label1|新しいﾌｧｲﾙ名を入力して、OKﾎﾞﾀﾝを押して下さい。||y", "Label3|元の名前| 元の名前 |l",
                       "Label2|@| 元の名前 |L", "Label4|新しい名前| 新しい名前 |y", "Text1|| 新しい名前 |Y"}
        << 10020 << true;
    // clang-format on
}

// What each dialog shows (its frame and buttons are the region dialog's),
// the keyboard in it, its help page, and leaving it.
// The name display shows the file's name, never its folder; a long one
// keeps the dialog to the width of its text box, and on the screen:
// shortened in its middle, whole in the tooltip under the tooltip's own text.
void TestFileCommands::dialogsLook()
{
    QFETCH(QString, command);
    QFETCH(QString, caption);
    QFETCH(QString, name);
    QFETCH(QStringList, widgets);
    QFETCH(int, context);
    QFETCH(bool, closeBox);
    const QColor yellow(255, 255, 0), lightYellow(255, 255, 128), darkGrey(64, 64, 64);
    const QString fixedFamily = ui::japaneseFamily(QStringLiteral("ＭＳ ゴシック"));

    writeFile(dir_->path() / "sub" / ui::toPath(name), kList);
    const auto filesBefore = testsupport::entries(dir_->path());
    const auto subBefore = testsupport::entries(dir_->path() / "sub");
    program_->fake.files.answers.enqueue(at("sub/" + name));
    QStringList visited;
    bool keptOpen = false;
    QDialog* shownDialog = nullptr;
    ModalDialogs dialogs([&](QDialog* dialog) {
        shownDialog = dialog;
        QCOMPARE(dialog->objectName() + "|" + dialog->windowTitle(), caption);
        for (const QString& row : widgets) {
            const QStringList f = row.split('|');
            auto* widget = dialog->findChild<QWidget*>(f[0]);
            QVERIFY2(widget, qPrintable(f[0]));
            const bool boxed = f[3][0].isUpper();
            const QString text = widget->property("text").toString(),
                          tip = widget->toolTip().remove(QChar(0x200B));
            if (f[1] == "@" && name.size() > 100) {
                QVERIFY(text.startsWith("xxx") && text.endsWith("xx.csv") &&
                        text.contains(QChar(0x2026)));
                QVERIFY(widget->sizeHint().width() <=
                        dialog->findChild<QLineEdit*>("Text1")->width());
                QVERIFY(dialog->frameGeometry().width() <= program_->fake.screen.pixels.width());
                QCOMPARE(tip, f[2] + "\n" + name);
            } else {
                QCOMPARE(text + "|" + tip, (f[1] == "@" ? name : f[1]) + "|" + f[2]);
            }
            QCOMPARE(textColour(widget), f[3].toLower() == "y" ? yellow : lightYellow);
            QCOMPARE(widget->font().family() == fixedFamily, boxed);
            QVERIFY(!boxed || widget->palette().color(widget->backgroundRole()) == darkGrey);
            if (auto* label = qobject_cast<QLabel*>(widget); label && boxed)
                QVERIFY(label->frameStyle() != QFrame::NoFrame);
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
    QCOMPARE(dialogs.shown.size(), 1);
    QCOMPARE(visited, (QStringList{"Text1", "Command1_0", "Command1_1", "Command1_2", "Text1"}));
    QVERIFY(keptOpen);
    QCOMPARE(program_->fake.help.shown, QStringList{QStringLiteral("context %1").arg(context)});
    QCOMPARE(program_->fake.help.owners, QList<QWidget*>{shownDialog});
    QVERIFY(program_->fake.messages.shown.isEmpty());
    QCOMPARE(readFile(dir_->path() / "sub" / ui::toPath(name)), kList);
    QVERIFY(testsupport::entries(dir_->path()) == filesBefore);
    QVERIFY(testsupport::entries(dir_->path() / "sub") == subBefore);
    QCOMPARE(program_->state->selectedFile(), dir_->path() / "sub" / ui::toPath(name));
}

void TestFileCommands::okOutcome_data()
{
    QTest::addColumn<Typed>("typed");
    const auto info = ui::MessageIcon::Information;
    const auto warning = ui::MessageIcon::Warning;
    const QString copied = "ファイルをコピーしました。　",
                  notCopied = "ファイルをコピーできませんでした。　\n\n";
    const QString renamed = "ﾌｧｲﾙ名を変更しました。　",
                  notRenamed = "ﾌｧｲﾙ名を変更できませんでした。　\n\n";
    const QStringList copiedToSecond{"kanto.csv=L", "other.csv=O", "second.csv=L"};
    const QStringList renamedToSecond{"other.csv=O", "second.csv=L"};
    const QString tooLong = QString(300, 'x');
    // clang-format off
    QTest::newRow("copy, bare name, no extension added")
        << Typed{"copy", "kanto2", info, copied, "", "", {"kanto.csv=L", "kanto2=L", "other.csv=O"}};
    QTest::newRow("copy, with folder")
        << Typed{"copy", "<dir>/sub/k.csv", info, copied, "", "", {"kanto.csv=L", "other.csv=O", "sub/k.csv=L"}};
    QTest::newRow("copy, replaces without asking") << Typed{"copy", "other.csv", info, copied, "", "", {"kanto.csv=L", "other.csv=L"}};
    QTest::newRow("copy, nothing typed")
        << Typed{"copy", "", info, "コピー先が入力されていません。　", "", "Command1_0", copiedToSecond};
    QTest::newRow("copy onto itself")
        << Typed{"copy", "<dir>/sub/../kanto.csv", warning, notCopied, "コピー元のファイルそのもの", "Text1", copiedToSecond};
    QTest::newRow("copy, folder missing")
        << Typed{"copy", "nowhere/k.csv", warning, notCopied, "フォルダ「nowhere」がありません", "Text1", copiedToSecond};
    QTest::newRow("copy, a folder in the way")
        << Typed{"copy", "sub", warning, notCopied, "「sub」はフォルダです", "Text1", copiedToSecond};
    QTest::newRow("copy onto a read-only file")
        << Typed{"copy", "locked.csv", warning, notCopied, "「locked.csv」は書き込みが禁止されたファイルです", "Text1",
                 {"kanto.csv=L", "locked.csv=O", "other.csv=O", "second.csv=L"}};
    QTest::newRow("copy, disk full") << Typed{"copy", "full", warning, notCopied, "空き容量", "Text1", copiedToSecond};
    QTest::newRow("rename, bare name") << Typed{"rename", "kanto2", info, renamed, "", "", {"kanto2=L", "other.csv=O"}};
    QTest::newRow("rename, into a folder")
        << Typed{"rename", "<dir>/sub/k.csv", info, renamed, "", "", {"other.csv=O", "sub/k.csv=L"}};
    QTest::newRow("rename, nothing typed")
        << Typed{"rename", "", info, "新しい名前が入力されていません。　", "", "Text1", renamedToSecond};
    QTest::newRow("rename onto an existing file")
        << Typed{"rename", "other.csv", warning, notRenamed, "「other.csv」という名前のファイルまたはフォルダが既にあります",
                 "Text1", renamedToSecond};
    QTest::newRow("rename, folder missing")
        << Typed{"rename", "nowhere/k.csv", warning, notRenamed, "フォルダ「nowhere」がありません", "Text1", renamedToSecond};
    QTest::newRow("rename, a name too long for the disk")
        << Typed{"rename", tooLong, warning, notRenamed, "「" + tooLong + "」という名前にできません（", "Text1", renamedToSecond};
    // clang-format on
}

// OK with a typed text: what the user is told, and where the focus is when
// the dialog stays for a correction.
void TestFileCommands::okOutcome()
{
    QFETCH(Typed, typed);
    QString text = typed.typed;
    text.replace("<dir>", ui::fromPath(dir_->path()));
    if (text == "locked.csv") { // read-only, and so left alone
        writeFile(dir_->path() / "locked.csv", kOther);
        fs::permissions(dir_->path() / "locked.csv", fs::perms(0444));
    }
    if (text == "full" && testsupport::makeDevice(*dir_, "full").empty())
        QSKIP(testsupport::kNoDevice);
    const QString title = typed.command == "copy" ? "複写確認" : "変更確認";
    program_->fake.files.answers.enqueue(ui::fromPath(source_));

    QString textAfter, focusAfter;
    ModalDialogs dialogs([&](QDialog* dialog) {
        auto* box = dialog->findChild<QLineEdit*>("Text1");
        auto* ok = dialog->findChild<QPushButton*>("Command1_0");
        box->setText(text);
        ok->setFocus();
        ok->click();
        if (!dialog->isVisible())
            return;
        textAfter = box->text();
        focusAfter = dialog->focusWidget() ? dialog->focusWidget()->objectName() : "none";
        box->setText("second.csv");
        ok->click();
    });
    run(typed.command == "copy" ? "mnuEditCopy" : "mnuEditRename");

    const auto& shown = program_->fake.messages.shown;
    QCOMPARE(shown.size(), typed.focus.isEmpty() ? 1 : 2);
    QCOMPARE(shown[0].title, text.isEmpty() ? QStringLiteral("入力確認") : title);
    QCOMPARE(shown[0].icon, typed.icon);
    QCOMPARE(shown[0].buttons, ui::MessageButtons::Ok);
    if (typed.reason.isEmpty()) {
        QCOMPARE(shown[0].text, typed.text);
    } else { // the reason, in the program's style
        QVERIFY2(shown[0].text.startsWith(typed.text) && shown[0].text.contains(typed.reason) &&
                     shown[0].text.endsWith(QStringLiteral("。　")),
                 qPrintable(shown[0].text));
    }
    QCOMPARE(focusAfter, typed.focus);
    if (!typed.focus.isEmpty()) {
        QCOMPARE(textAfter, text);
        QVERIFY(shown[1].title == title && shown[1].icon == ui::MessageIcon::Information);
    }
    QStringList found;
    for (const auto& entry : fs::recursive_directory_iterator(dir_->path())) {
        if (!entry.is_regular_file())
            continue;
        const std::string content = readFile(entry.path());
        found << ui::fromPath(entry.path().lexically_relative(dir_->path()).generic_u16string()) + "=" +
                     (content == kList ? "L" : content == kOther ? "O" : "?");
    }
    found.sort();
    QCOMPARE(found, typed.files);
}

void TestFileCommands::deleteCommand_data()
{
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<bool>("confirm");
    QTest::addColumn<QString>("title"); // of the second box; empty: none
    QTest::addColumn<QString>("text");  // how it starts
    // clang-format off
    QTest::newRow("OK deletes") << "kanto.csv" << true << "削除情報" << "指定されたﾌｧｲﾙを削除しました。　";
    QTest::newRow("キャンセル keeps") << "kanto.csv" << false << "" << "";
    QTest::newRow("gone meanwhile") << "gone.csv" << true << "削除確認" << "指定されたﾌｧｲﾙを削除できませんでした。　\n\n「";
    // clang-format on
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
    QCOMPARE(shown[0].text + shown[0].title,
             QStringLiteral("指定されたﾌｧｲﾙを削除しますか？　削除確認"));
    QCOMPARE(shown[0].icon, ui::MessageIcon::Question);
    QCOMPARE(shown[0].buttons, ui::MessageButtons::OkCancel);
    QCOMPARE(shown[0].defaultButton, ui::MessageAnswer::Ok);
    if (!title.isEmpty()) {
        QCOMPARE(shown[1].title, title);
        QCOMPARE(shown[1].icon,
                 chosen == "gone.csv" ? ui::MessageIcon::Warning : ui::MessageIcon::Information);
        QVERIFY2(shown[1].text.startsWith(text) && shown[1].text.endsWith(QStringLiteral("　")),
                 qPrintable(shown[1].text));
    }
    QCOMPARE(fs::exists(source_), !(confirm && chosen == "kanto.csv"));
    QCOMPARE(readFile(dir_->path() / "other.csv"), kOther);
    QCOMPARE(program_->state->selectedFile(), ui::toPath(at(chosen)));
}

void TestFileCommands::save_data()
{
    QTest::addColumn<Save>("save");
    const auto warning = ui::MessageIcon::Warning;
    const QString failed = QStringLiteral("指定の都道府県を保存できませんでした。　\n\n");
    // clang-format off
    QTest::newRow("nothing ticked")
        << Save{"new.csv", "", "指定確認", warning, "保存する都道府県が指定されていません。　", true, ""};
    QTest::newRow("cancelled") << Save{"", "all", "", warning, "", true, ""};
    QTest::newRow("saved") << Save{"new.csv", "all", "保存確認", ui::MessageIcon::Information, "指定の都道府県を保存しました。　", true, ""};
    QTest::newRow("saved, the first and last boxes")
        << Save{"new.csv", "0 46", "保存確認", ui::MessageIcon::Information, "指定の都道府県を保存しました。　", true, ""};
    QTest::newRow("folder missing") << Save{"no-such-folder/x.csv", "all", "保存確認", warning, failed, true, "が存在しません"};
    QTest::newRow("a folder") << Save{"sub", "all", "保存確認", warning, failed, true, "フォルダがあります"};
    QTest::newRow("read-only file") << Save{"read-only.csv", "all", "保存確認", warning, failed, true, "読み取り専用"};
    // Nobody reads it: refused at once, the window never hangs on it.
    QTest::newRow("a pipe nobody reads") << Save{"pipe.csv", "all", "保存確認", warning, failed, true, "読み出す側のないパイプ"};
    // Start-up found no list: nothing to save, and no chooser asked.
    QTest::newRow("no list loaded")
        << Save{"new.csv", "all", "保存確認", warning, "郵便番号一覧が読み込まれていないため、保存できません。　", false, ""};
    // The business list: read from the folder when saved, the nationwide list not needed.
    const QString officesSaved = "指定の都道府県の事業所を保存しました。　";
    const QString unread = "事業所の個別郵便番号の一覧 「";
    QTest::newRow("offices, nothing ticked")
        << Save{"new.csv", "", "指定確認", warning, "保存する都道府県が指定されていません。　", true, "", "JIGYOSYO.CSV"};
    QTest::newRow("offices of 13 and 47, no list loaded")
        << Save{"new.csv", "12 46", "保存確認", ui::MessageIcon::Information, officesSaved, false, "", "JIGYOSYO.CSV"};
    QTest::newRow("offices of all, out of jigyosyo.zip")
        << Save{"new.csv", "all", "保存確認", ui::MessageIcon::Information, officesSaved, true, "", "jigyosyo.zip"};
    QTest::newRow("offices, a damaged list named by line and field")
        << Save{"new.csv", "all", "保存確認", warning, unread, true,
                "<dir>/JIGYOSYO.CSV」 を読み込めませんでした。　\n\n3 行目の 8 番目の項目が 7 桁の数字ではありません。\n\n何も保存していません。　", "damaged"};
    QTest::newRow("offices, the nationwide list in its place")
        << Save{"new.csv", "all", "保存確認", warning, unread, true, "\n\n全国版の郵便番号一覧です。\n\n", "nationwide"};
    QTest::newRow("offices, folder missing")
        << Save{"no-such-folder/x.csv", "all", "保存確認", warning, "指定の都道府県の事業所を保存できませんでした。　\n\n", true, "が存在しません", "JIGYOSYO.CSV"};
    // clang-format on
}

void TestFileCommands::save()
{
    QFETCH(Save, save);
    if (!save.listLoaded)
        start(dir_->path() / "none.csv");
    const fs::path target =
        save.answer.isEmpty() ? fs::path() : dir_->path() / save.answer.toStdString();
    if (save.answer == "read-only.csv") {
        writeFile(target, "keep");
        fs::permissions(target, fs::perms::owner_read);
    }
    if (save.answer == "pipe.csv" && !testsupport::makeFifo(target))
        QSKIP(testsupport::kNoFifo);
    // The list folder is the program's: the test's own.
    if (save.offices == "jigyosyo.zip")
        testsupport::packZip(dir_->path() / "jigyosyo.zip", {{"JIGYOSYO.CSV", kOffices}});
    else if (!save.offices.isEmpty())
        writeFile(dir_->path() / "JIGYOSYO.CSV",
                  save.offices == "nationwide" ? kSaved
                  : save.offices == "damaged"  ? testlines::officeLine("01101") + testlines::officeLine("13101") +
                                                    testlines::officeLine("13102", "100879")
                                               : kOffices);
    for (int i = 0; i < 47; ++i)
        window_->prefectureBox(i)->setChecked(save.ticked == "all" ||
                                              save.ticked.split(' ').contains(QString::number(i)));
    program_->state->setSelectedFile("/earlier/choice.csv");
    window_->commonDialog().setFileName(QStringLiteral("/left/over.csv"));
    const auto before = testsupport::entries(dir_->path());
    program_->fake.files.answers.enqueue(ui::fromPath(target));
    testsupport::endIfHung(10);
    run(save.offices.isEmpty() ? "mnuFileSave" : "mnuFileJigyosyo");
    testsupport::endIfHung(0);

    // The chooser is asked only with something ticked, and always the same way.
    const auto& asked = program_->fake.files.asked;
    QCOMPARE(asked.size(),
             !save.ticked.isEmpty() && (save.listLoaded || !save.offices.isEmpty()) ? 1 : 0);
    if (!asked.isEmpty()) {
        QCOMPARE(asked[0].mode, ui::FileDialogMode::Save);
        QCOMPARE(asked[0].title + " " + asked[0].filter,
                 (save.offices.isEmpty() ? "保存ﾌｧｲﾙを選択 " : "保存ﾌｧｲﾙを選択（事業所） ") + kCsvOnly);
        QCOMPARE(asked[0].folder, ui::fromPath(dir_->path()));
        QVERIFY(asked[0].fileName.isEmpty() && program_->state->selectedFile() == target);
    }
    const auto& shown = program_->fake.messages.shown;
    QCOMPARE(shown.size(), save.title.isEmpty() ? 0 : 1);
    if (!shown.isEmpty()) {
        QCOMPARE(shown[0].icon, save.icon);
        QCOMPARE(shown[0].title, save.title);
        // Paths as the platform writes them, without the breaks a long one gets.
        const QString text = QString(shown[0].text).remove(QChar(0x200B));
        QVERIFY2(text.startsWith(save.text) && text.endsWith(QStringLiteral("　")) &&
                     text.contains(QDir::toNativeSeparators(
                         QString(save.reason).replace("<dir>", at({}).chopped(1)))),
                 qPrintable(shown[0].text));
    }
    // A file only when told it was saved, the ticked boxes' rows in it; a
    // read-only one kept as it was.
    auto after = before;
    if (save.icon == ui::MessageIcon::Information) {
        after.push_back("new.csv");
        std::sort(after.begin(), after.end());
        std::vector<int> ticked;
        for (int i = 0; i < 47; ++i)
            if (save.ticked == "all" || save.ticked.split(' ').contains(QString::number(i)))
                ticked.push_back(i);
        QCOMPARE(readFile(target),
                 testlines::linesOf(save.offices.isEmpty() ? kSaved : kOffices, ticked));
    }
    QCOMPARE(testsupport::entries(dir_->path()), after);
    if (save.answer == "read-only.csv")
        QCOMPARE(readFile(target), std::string("keep"));
}

QTEST_MAIN(TestFileCommands)
#include "TestFileCommands.moc"
