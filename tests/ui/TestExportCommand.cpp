// The export from the main window: the scripted chooser, the file written
// from the real list, and what the user is told.

#include "RunningProgram.h"

#include "tests/postal/ListLines.h"
#include "tests/support/RealList.h"
#include "ui/common/PathText.h"

#include <QAction>
#include <QCheckBox>
#include <QTest>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

using testsupport::MemorySettingsStore;
using testsupport::RunningProgram;

Q_DECLARE_METATYPE(ui::MessageIcon)

namespace {

// The lines of a list whose JIS code (first two bytes) is chosen, in order.
std::string linesOf(const std::string& list, const std::set<int>& jisCodes)
{
    std::string out;
    for (std::size_t start = 0, end = 0; start < list.size(); start = end) {
        end = std::min(list.find('\n', start), list.size() - 1) + 1;
        if (jisCodes.count(std::stoi(list.substr(start, 2))))
            out.append(list, start, end - start);
    }
    return out;
}

} // namespace

class TestExportCommand : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void outcome_data();
    void outcome();
    void realList_data();
    void realList();

private:
    void exportTo(const std::filesystem::path& target);

    std::optional<testsupport::TempDir> dir_;
    testsupport::TempDir listFolder_;
    std::optional<MemorySettingsStore> store_;
    std::optional<RunningProgram> program_;
    ui::MainWindow* window_ = nullptr;
};

void TestExportCommand::init()
{
    program_.reset();
    dir_.emplace();
    store_.emplace();
    testsupport::writeFile(listFolder_ / "ken_all.csv", testlines::line("13101"));
    program_.emplace(*store_, dir_->path(), listFolder_ / "ken_all.csv"); // a one-row list
    window_ = &program_->open();
}

void TestExportCommand::exportTo(const std::filesystem::path& target)
{
    program_->fake.files.answers.enqueue(ui::fromPath(target));
    window_->findChild<QAction*>("mnuFileSave")->trigger();
}

void TestExportCommand::outcome_data()
{
    QTest::addColumn<QString>("answer"); // the chooser's, in the program folder; empty cancels
    QTest::addColumn<bool>("ticked");    // all boxes, or none
    QTest::addColumn<QString>("title");  // of the one box shown; empty: none
    QTest::addColumn<ui::MessageIcon>("icon");
    QTest::addColumn<QString>("text"); // how the text starts
    QTest::addColumn<bool>("listLoaded");
    QTest::addColumn<QString>("reason"); // the text holds it too
    const auto warning = ui::MessageIcon::Warning;
    const QString failed = QStringLiteral("指定の都道府県を保存できませんでした。　\n\n");
    QTest::newRow("nothing ticked") << "out.csv" << false << "指定確認" << warning
                                    << "保存する都道府県が指定されていません。　" << true << "";
    QTest::newRow("cancelled") << "" << true << "" << warning << "" << true << "";
    QTest::newRow("saved") << "out.csv" << true << "保存確認" << ui::MessageIcon::Information
                           << "指定の都道府県を保存しました。　" << true << "";
    QTest::newRow("folder missing") << "no-such-folder/x.csv" << true << "保存確認" << warning << failed
                                    << true << "が存在しません";
    QTest::newRow("a folder") << "." << true << "保存確認" << warning << failed << true << "フォルダがあります";
    QTest::newRow("read-only file") << "read-only.csv" << true << "保存確認" << warning << failed << true
                                    << "読み取り専用";
    // Nobody reads it: refused at once, the window never hangs on it.
    QTest::newRow("a pipe nobody reads") << "pipe.csv" << true << "保存確認" << warning << failed << true
                                         << "読み出す側のないパイプ";
    // Start-up found no list: nothing to save, and no chooser asked.
    QTest::newRow("no list loaded") << "out.csv" << true << "保存確認" << warning
                                    << "郵便番号一覧が読み込まれていないため、保存できません。　" << false << "";
}

void TestExportCommand::outcome()
{
    QFETCH(QString, answer);
    QFETCH(bool, ticked);
    QFETCH(QString, title);
    QFETCH(ui::MessageIcon, icon);
    QFETCH(QString, text);
    QFETCH(bool, listLoaded);
    QFETCH(QString, reason);
    if (!listLoaded) {
        program_.reset();
        program_.emplace(*store_, dir_->path(), *dir_ / "none.csv");
        window_ = &program_->open();
    }
    const bool readOnly = answer == QStringLiteral("read-only.csv");
    if (readOnly) {
        testsupport::writeFile(*dir_ / "read-only.csv", "keep");
        std::filesystem::permissions(*dir_ / "read-only.csv", std::filesystem::perms::owner_read);
    }
    const bool pipe = answer == QStringLiteral("pipe.csv");
    if (pipe)
        QCOMPARE(::mkfifo((*dir_ / "pipe.csv").c_str(), 0600), 0);
    for (int i = 0; !ticked && i < 47; ++i)
        window_->prefectureBox(i)->setChecked(false);
    program_->state->setSelectedFile("/earlier/choice.csv");
    window_->commonDialog().setFileName(QStringLiteral("/left/over.csv"));
    const auto target = answer.isEmpty() ? std::filesystem::path() : *dir_ / answer.toStdString();
    ::alarm(10); // a hang ends the test, failed, instead of lasting for ever
    exportTo(target);
    ::alarm(0);

    // The chooser is asked only with something ticked, and always the same way.
    const auto& asked = program_->fake.files.asked;
    QCOMPARE(asked.size(), ticked && listLoaded ? 1 : 0);
    if (ticked && listLoaded) {
        QCOMPARE(asked[0].mode, ui::FileDialogMode::Save);
        QCOMPARE(asked[0].title, QStringLiteral("保存ﾌｧｲﾙを選択"));
        QCOMPARE(asked[0].filter, QStringLiteral("(*.csv)|*.csv|"));
        QCOMPARE(asked[0].folder, ui::fromPath(dir_->path()));
        QVERIFY(asked[0].fileName.isEmpty());
        QVERIFY(program_->state->selectedFile() == target);
    }
    const auto& shown = program_->fake.messages.shown;
    QCOMPARE(shown.size(), title.isEmpty() ? 0 : 1);
    if (!shown.isEmpty()) {
        QCOMPARE(shown[0].icon, icon);
        QCOMPARE(shown[0].title, title);
        QVERIFY2(shown[0].text.startsWith(text), qPrintable(shown[0].text));
        QVERIFY(shown[0].text.endsWith(QStringLiteral("　")));
        QVERIFY2(shown[0].text.contains(reason), qPrintable(shown[0].text));
    }
    // A file only when told it was saved; a read-only one kept as it was.
    QCOMPARE(std::distance(std::filesystem::directory_iterator(dir_->path()), {}),
             icon == ui::MessageIcon::Information || readOnly || pipe ? 1 : 0);
    if (readOnly)
        QCOMPARE(testsupport::readFile(*dir_ / "read-only.csv"), std::string("keep"));
}

void TestExportCommand::realList_data()
{
    QTest::addColumn<QList<int>>("ticked"); // box indexes; empty ticks all
    QTest::newRow("all 47, over a longer file") << QList<int>{};
    QTest::newRow("2 and 5, in list order") << QList<int>{5, 2};
}

void TestExportCommand::realList()
{
    QFETCH(QList<int>, ticked);
    std::string why;
    const auto list = testsupport::realList(&why);
    if (!list)
        QSKIP(why.c_str());
    program_.reset();
    program_.emplace(*store_, dir_->path(), *list);
    QCOMPARE(program_->state->list().rowCount(), std::size_t(124822));
    window_ = &program_->open();
    std::set<int> codes;
    for (int i = 0; i < 47; ++i) {
        window_->prefectureBox(i)->setChecked(ticked.isEmpty() || ticked.contains(i));
        if (window_->prefectureBox(i)->isChecked())
            codes.insert(i + 1);
    }
    const auto target = *dir_ / "out.csv";
    testsupport::writeFile(target, std::string(20'000'000, 'x')); // replaced, not overwritten
    exportTo(target);

    const std::string bytes = testsupport::readFile(*list);
    QVERIFY(testsupport::readFile(target) == (ticked.isEmpty() ? bytes : linesOf(bytes, codes)));
    QCOMPARE(program_->fake.messages.shown.size(), 1);
    QCOMPARE(program_->fake.messages.shown[0].icon, ui::MessageIcon::Information);
}

QTEST_MAIN(TestExportCommand)
#include "TestExportCommand.moc"
