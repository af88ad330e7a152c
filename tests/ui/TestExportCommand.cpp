// The export from the main window: the scripted chooser, the file written
// from the real list, and what the user is told.

#include "RunningProgram.h"

#include "tests/support/RealList.h"
#include "ui/common/PathText.h"

#include <QAction>
#include <QCheckBox>
#include <QTest>
#include <set>

using testsupport::MemorySettingsStore;
using testsupport::RunningProgram;

namespace {

// The lines of a list whose JIS code (first two bytes) is chosen, in order.
std::string linesOf(const std::string& list, const std::set<int>& jisCodes)
{
    std::string out;
    std::size_t start = 0;
    while (start < list.size()) {
        std::size_t end = list.find('\n', start);
        end = end == std::string::npos ? list.size() : end + 1;
        const int code = std::stoi(list.substr(start, 2));
        if (jisCodes.count(code))
            out.append(list, start, end - start);
        start = end;
    }
    return out;
}

} // namespace

class TestExportCommand : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void allTickedWritesTheListByteForByte();
    void chosenPrefecturesInListOrder_data();
    void chosenPrefecturesInListOrder();
    void chooserIsAskedAsExpected();
    void existingFileIsReplaced();
    void nothingTicked();
    void cancel();
    void failureIsReportedNotSuccess_data();
    void failureIsReportedNotSuccess();
    void emptyTableWritesEmptyFile();

private:
    void tickOnly(const std::set<int>& indexes);
    void exportTo(const std::filesystem::path& target);

    std::filesystem::path list_;
    std::string listBytes_;
    std::unique_ptr<testsupport::TempDir> dir_;
    std::unique_ptr<MemorySettingsStore> store_;
    std::unique_ptr<RunningProgram> program_;
    ui::MainWindow* window_ = nullptr;
};

void TestExportCommand::initTestCase()
{
    std::string why;
    const auto list = testsupport::realList(&why);
    if (!list)
        QSKIP(why.c_str());
    list_ = *list;
    listBytes_ = testsupport::readFile(list_);
}

void TestExportCommand::init()
{
    dir_ = std::make_unique<testsupport::TempDir>();
    store_ = std::make_unique<MemorySettingsStore>();
    program_ = std::make_unique<RunningProgram>(*store_, dir_->path(), list_);
    QCOMPARE(program_->state.table->rowCount(), std::size_t(124822));
    window_ = &program_->open();
}

void TestExportCommand::cleanup()
{
    program_.reset();
    store_.reset();
    dir_.reset();
}

void TestExportCommand::tickOnly(const std::set<int>& indexes)
{
    for (int i = 0; i < 47; ++i)
        window_->Check1(i)->setChecked(indexes.count(i) > 0);
}

void TestExportCommand::exportTo(const std::filesystem::path& target)
{
    program_->fake.files.answers.enqueue(ui::fromPath(target));
    window_->findChild<QAction*>("mnuFileSave")->trigger();
}

void TestExportCommand::allTickedWritesTheListByteForByte()
{
    const auto target = *dir_ / "all.csv";
    exportTo(target);
    QVERIFY(testsupport::readFile(target) == listBytes_);
    QCOMPARE(program_->fake.messages.shown.size(), 1);
    const ui::MessageRequest& done = program_->fake.messages.shown[0];
    QCOMPARE(done.text, QStringLiteral("指定の都道府県を保存しました。　"));
    QCOMPARE(done.title, QStringLiteral("保存確認"));
    QCOMPARE(done.icon, ui::MessageIcon::Information);
    QCOMPARE(done.buttons, ui::MessageButtons::Ok);
}

void TestExportCommand::chosenPrefecturesInListOrder_data()
{
    QTest::addColumn<QList<int>>("indexes");
    QTest::newRow("Okinawa only") << QList<int>{46};
    QTest::newRow("Hokkaido only") << QList<int>{0};
    QTest::newRow("ticked later, written earlier") << QList<int>{5, 2};
    QTest::newRow("Tokyo and Kanagawa") << QList<int>{12, 13};
}

void TestExportCommand::chosenPrefecturesInListOrder()
{
    QFETCH(QList<int>, indexes);
    std::set<int> ticked(indexes.begin(), indexes.end());
    std::set<int> codes;
    for (int i : ticked)
        codes.insert(i + 1);
    tickOnly(ticked);
    const auto target = *dir_ / "some.csv";
    exportTo(target);
    QVERIFY(testsupport::readFile(target) == linesOf(listBytes_, codes));
    QCOMPARE(program_->fake.messages.shown.size(), 1);
}

void TestExportCommand::chooserIsAskedAsExpected()
{
    window_->CommonDialog1().fileName = QStringLiteral("/left/over.csv");
    const auto target = *dir_ / "asked.csv";
    exportTo(target);

    QCOMPARE(program_->fake.files.asked.size(), 1);
    const ui::FileDialogRequest& asked = program_->fake.files.asked[0];
    QCOMPARE(asked.mode, ui::FileDialogMode::Save);
    QCOMPARE(asked.title, QStringLiteral("保存ﾌｧｲﾙを選択"));
    QCOMPARE(asked.filter, QStringLiteral("(*.csv)|*.csv|"));
    QCOMPARE(asked.folder, ui::fromPath(dir_->path()));
    QVERIFY(asked.fileName.isEmpty());

    QVERIFY(program_->state.selectedFile == target);
    // What the export set stays set for the next file command.
    QCOMPARE(window_->CommonDialog1().filter, QStringLiteral("(*.csv)|*.csv|"));
    QCOMPARE(window_->CommonDialog1().dialogTitle, QStringLiteral("保存ﾌｧｲﾙを選択"));
    QCOMPARE(window_->CommonDialog1().fileTitle, QStringLiteral("asked.csv"));
}

void TestExportCommand::existingFileIsReplaced()
{
    const auto target = *dir_ / "old.csv";
    testsupport::writeFile(target, std::string(20'000'000, 'x'));
    tickOnly({46});
    exportTo(target);
    QVERIFY(testsupport::readFile(target) == linesOf(listBytes_, {47}));
}

void TestExportCommand::nothingTicked()
{
    tickOnly({});
    window_->mnuFileSave_Click();
    QCOMPARE(program_->fake.messages.shown.size(), 1);
    const ui::MessageRequest& refused = program_->fake.messages.shown[0];
    QCOMPARE(refused.text, QStringLiteral("保存する都道府県が指定されていません。　"));
    QCOMPARE(refused.title, QStringLiteral("指定確認"));
    QCOMPARE(refused.icon, ui::MessageIcon::Warning);
    QVERIFY(program_->fake.files.asked.isEmpty());
}

void TestExportCommand::cancel()
{
    program_->state.selectedFile = "/earlier/choice.csv";
    window_->mnuFileSave_Click(); // the chooser answers nothing: cancelled
    QCOMPARE(program_->fake.files.asked.size(), 1);
    QVERIFY(program_->fake.messages.shown.isEmpty());
    QVERIFY(program_->state.selectedFile.empty());
    QVERIFY(std::filesystem::is_empty(dir_->path()));
}

void TestExportCommand::failureIsReportedNotSuccess_data()
{
    QTest::addColumn<QString>("target");
    QTest::newRow("folder missing") << "no-such-folder/out.csv";
    QTest::newRow("a folder") << ".";
}

void TestExportCommand::failureIsReportedNotSuccess()
{
    QFETCH(QString, target);
    const auto path = dir_->path() / ui::toPath(target);
    const auto before = std::distance(std::filesystem::directory_iterator(dir_->path()), {});
    exportTo(path);

    QCOMPARE(program_->fake.messages.shown.size(), 1);
    const ui::MessageRequest& failed = program_->fake.messages.shown[0];
    QCOMPARE(failed.title, QStringLiteral("保存確認"));
    QCOMPARE(failed.icon, ui::MessageIcon::Warning);
    QVERIFY(failed.text.startsWith(QStringLiteral("指定の都道府県を保存できませんでした。　\n\n")));
    QVERIFY(failed.text.length() > 30); // the reason follows
    QVERIFY(failed.text.endsWith(QStringLiteral("　")));
    QCOMPARE(std::distance(std::filesystem::directory_iterator(dir_->path()), {}), before);
}

void TestExportCommand::emptyTableWritesEmptyFile()
{
    program_->state.table = std::make_shared<postal::PostalList>();
    const auto target = *dir_ / "empty.csv";
    exportTo(target);
    QVERIFY(std::filesystem::exists(target));
    QCOMPARE(std::filesystem::file_size(target), std::uintmax_t(0));
    QCOMPARE(program_->fake.messages.shown[0].text,
             QStringLiteral("指定の都道府県を保存しました。　"));
}

QTEST_MAIN(TestExportCommand)
#include "TestExportCommand.moc"
