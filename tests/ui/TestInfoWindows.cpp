// The splash (its two seconds on the clock, shown only for OptLogo "1",
// before the list is looked for), the about window's texts and links, what
// the links say when the desktop has no program for them, and the real
// message box behind the seam.

#include "FakeUi.h"
#include "ModalDialogs.h"

#include "state/Startup.h"
#include "tests/support/MemorySettingsStore.h"
#include "tests/support/System.h"
#include "tests/support/TempDir.h"
#include "ui/common/Launcher.h"
#include "ui/common/MessageBoxes.h"
#include "ui/info/AboutWindow.h"
#include "ui/info/InfoLayout.h"
#include "ui/info/SplashWindow.h"
#include "ui/main/StartupMessages.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <optional>

using testsupport::FakeUi;

namespace {

const QColor kBlack(0, 0, 0), kYellow(255, 255, 0), kPaleYellow(255, 255, 192),
    kPaleGreen(192, 255, 192);

QColor colourOf(const QLabel* label)
{
    return label->palette().color(QPalette::WindowText);
}

const ui::MakerInfo kMaker{"Copyright (C) 2007", "ある開発者", "someone@example.org",
                           "https://example.org/~someone/vevoz/"};

} // namespace

class TestInfoWindows : public QObject
{
    Q_OBJECT

private slots:
    void splashTiming();
    void splashAtStartup();
    void texts();
    void aboutClicks_data();
    void aboutClicks();
    void desktopOpener_data();
    void desktopOpener();
    void messageBoxAsksInJapanese();
    void messageBoxWrapsLongNames();
};

// Clicks and keys neither close nor delay it; it goes at 2000 ms exactly.
void TestInfoWindows::splashTiming()
{
    FakeUi fake;
    ui::SplashWindow splash(fake.clock, fake.screen);
    QCOMPARE(splash.objectName(), QStringLiteral("INITDISP"));
    QVERIFY(splash.windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(splash.pos(), QPoint((1280 - splash.width()) / 2, (1024 - splash.height()) / 2));
    // Its own raised frame, since it has no caption for a window manager to frame.
    const QImage face = splash.grab().toImage();
    const QPoint corner(face.width() - 1, face.height() - 1);
    const QList<QColor> edge{face.pixelColor(0, 0), face.pixelColor(1, 1), face.pixelColor(corner),
                             face.pixelColor(corner - QPoint(1, 1)),
                             face.pixelColor(2, face.height() / 2)};
    QCOMPARE(edge, (QList<QColor>{Qt::white, QColor(192, 192, 192), Qt::black, QColor(64, 64, 64),
                                  QColor(128, 128, 128)}));
    bool modal = false, shownAt1999 = false, shownAfterInput = false;
    // A timer event, not a posted call: showing the window may deliver those
    // before exec() waits.
    QTimer::singleShot(1, [&] {
        modal = QApplication::activeModalWidget() == &splash;
        fake.clock.advance(1999);
        shownAt1999 = splash.isVisible();
        QTest::mouseClick(&splash, Qt::LeftButton);
        QTest::mouseDClick(&splash, Qt::LeftButton);
        for (const auto key : {Qt::Key_Escape, Qt::Key_Return})
            QTest::keyClick(&splash, key);
        QTest::keyClick(&splash, Qt::Key_F4, Qt::AltModifier);
        splash.close();
        shownAfterInput = splash.isVisible();
        fake.clock.advance(1);
    });
    QTimer::singleShot(5000, &splash, [&] { splash.done(-1); }); // a hang fails, not stalls
    QCOMPARE(splash.exec(), int(QDialog::Accepted));
    QVERIFY(modal && shownAt1999 && shownAfterInput && !splash.isVisible());
}

// Start-up shows it, for OptLogo "1" alone, before the list is looked for,
// and goes on after it closed.
void TestInfoWindows::splashAtStartup()
{
    for (const auto& [logo, shown] : {std::pair{"1", true}, {"1 ", false}}) {
        FakeUi fake;
        testsupport::MemorySettingsStore store;
        testsupport::TempDir folder;
        store.preset("Config", "OptLogo", logo);
        ui::StartupMessages startupUi(fake.messages, fake.clock, fake.screen);
        int splashes = 0;
        std::size_t readsWhileShown = 0;
        int warningsWhileShown = -1;
        QTimer watcher;
        watcher.setInterval(5); // after exec() has started waiting
        connect(&watcher, &QTimer::timeout, [&] {
            if (!qobject_cast<ui::SplashWindow*>(QApplication::activeModalWidget()))
                return;
            ++splashes;
            readsWhileShown = store.reads().size();
            warningsWhileShown = int(fake.messages.shown.size());
            fake.clock.advance(2000);
        });
        watcher.start();
        state::runStartup(store, {folder.path(), {19200, 15360}, {}, {}}, startupUi);
        watcher.stop();
        QCOMPARE(splashes, shown ? 1 : 0);
        // OptLogo only read yet; the missing list's warning came after it.
        QVERIFY(!shown || (readsWhileShown == 1 && warningsWhileShown == 0));
        QCOMPARE(fake.messages.shown.size(), 1);
    }
}

// Each coloured text lies over its black shadow, which is set off right and
// down; the about window shows the maker's texts, its links (labels 10-14)
// underlined under a hand, each with its address, framed by spaces, as tooltip.
void TestInfoWindows::texts()
{
    FakeUi fake;
    ui::SplashWindow splash(fake.clock, fake.screen);
    QWidget owner;
    ui::AboutWindow about(fake.services, &owner, kMaker);
    // clang-format off
    const std::pair<QWidget*, QList<QPoint>> windows[] = {
        {&splash, {{0, 1}, {2, 3}, {4, 6}, {15, 14}, {5, 7}, {8, 9}}},
        {&about, {{0, 1}, {2, 3}, {4, 5}, {19, 18}, {6, 7}, {8, 9}}}};
    // clang-format on
    for (const auto& [window, pairs] : windows) {
        QCOMPARE(window->palette().color(QPalette::Window), QColor(128, 128, 128));
        for (const QPoint& pair : pairs) {
            auto* under = window->findChild<QLabel*>(QStringLiteral("Label1_%1").arg(pair.x()));
            auto* top = window->findChild<QLabel*>(QStringLiteral("Label1_%1").arg(pair.y()));
            QVERIFY(under && top && !top->text().isEmpty());
            QVERIFY(under->text() == top->text() && under->font() == top->font());
            QVERIFY(colourOf(top) == kYellow || colourOf(top) == kPaleYellow);
            QCOMPARE(colourOf(under), kBlack);
            const QPoint offset = under->pos() - top->pos();
            QVERIFY(offset.x() > 0 && offset.x() == offset.y());
            QVERIFY(window->children().indexOf(top) > window->children().indexOf(under));
        }
    }

    QCOMPARE(about.objectName() + " " + about.windowTitle(),
             QStringLiteral("INFO_VER ﾊﾞｰｼﾞｮﾝ情報"));
    QVERIFY(!(about.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    QCOMPARE(about.okButton()->text() + about.okButton()->toolTip(), QStringLiteral("OK OK "));
    QCOMPARE(about.label(7)->text() + "|" + about.label(9)->text(),
             kMaker.notice + "|" + kMaker.name);
    QCOMPARE(about.label(10)->text() + about.label(11)->text(), "E-Mail Address：" + kMaker.mail);
    QCOMPARE(about.label(12)->text() + about.label(13)->text() + about.label(14)->text(),
             "URL Address：" + kMaker.homepage);
    QCOMPARE(about.label(13)->text(), QStringLiteral("https://example.org/"));
    for (QLabel* label : about.findChildren<QLabel*>(QRegularExpression("^Label1_"))) {
        const int i = label->objectName().mid(7).toInt();
        const bool link = i >= 10 && i <= 14;
        QCOMPARE(label->toolTip(),
                 !link ? QString() : " " + (i <= 11 ? kMaker.mail : kMaker.homepage) + " ");
        QCOMPARE(label->font().underline(), link);
        QCOMPARE(label->cursor().shape(), link ? Qt::PointingHandCursor : Qt::ArrowCursor);
        QVERIFY(!link || colourOf(label) == kPaleGreen);
    }
    // A homepage without a path, or without a scheme.
    for (const auto& [address, host, path] :
         {std::tuple{"https://example.org", "https://example.org", ""},
          {"example.org/vevoz/", "example.org/", "vevoz/"}})
        QCOMPARE(ui::info::splitAddress(address), std::pair(QString(host), QString(path)));
}

// Each link asks the desktop once, by a click or the keyboard; with no
// program for it the user is told which is missing.
void TestInfoWindows::aboutClicks_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("handlerThere");
    QTest::addColumn<QString>("asked");
    QTest::addColumn<QString>("text"); // the warning, with its title after a "|"
    const QString mail = "mail someone@example.org";
    const QString web = "web https://example.org/~someone/vevoz/";
    // clang-format off
    for (int index : {10, 11, 12, 13, 14})
        QTest::addRow("link %d", index) << index << true << (index <= 11 ? mail : web) << "";
    for (int index : {1, 5, 15})
        QTest::addRow("no link %d", index) << index << true << "" << "";
    QTest::newRow("mail, none") << 11 << false << mail << "「Outlook Express」 が ｲﾝｽﾄｰﾙ されていません。|OE ｲﾝｽﾄｰﾙ 確認";
    QTest::newRow("homepage, none") << 13 << false << web << "「Internet Explorer」 が ｲﾝｽﾄｰﾙ されていません。|IE ｲﾝｽﾄｰﾙ 確認";
    // clang-format on
}

void TestInfoWindows::aboutClicks()
{
    QFETCH(int, index);
    QFETCH(bool, handlerThere);
    QFETCH(QString, asked);
    QFETCH(QString, text);
    FakeUi fake;
    fake.launcher.browserThere = fake.launcher.mailThere = handlerThere;
    QWidget owner;
    ui::AboutWindow about(fake.services, &owner, kMaker);
    about.show();
    QTest::mouseClick(about.label(index), Qt::LeftButton, {}, QPoint(2, 2));
    about.clickLabel(index);
    QCOMPARE(fake.launcher.asked, asked.isEmpty() ? QStringList() : QStringList(2, asked));
    const auto& shown = fake.messages.shown;
    QCOMPARE(shown.size(), text.isEmpty() ? 0 : 2);
    if (!text.isEmpty()) {
        QCOMPARE(shown[0].text + '|' + shown[0].title, text);
        QVERIFY(shown[0].icon == ui::MessageIcon::Warning &&
                shown[0].buttons == ui::MessageButtons::Ok);
    }
    // Escape closes nothing, as in the program's other dialogs; OK does.
    QTest::keyClick(&about, Qt::Key_Escape);
    QVERIFY(about.isVisible());
    about.okButton()->click();
    QVERIFY(!about.isVisible());
}

void TestInfoWindows::desktopOpener_data()
{
    QTest::addColumn<QString>("script"); // the opener's last line; none: no opener at all
    QTest::addColumn<bool>("mail");
    QTest::addColumn<int>("waitMs");
    QTest::addColumn<QString>("warning"); // its title; none: opened
    const QString ie = "IE ｲﾝｽﾄｰﾙ 確認", oe = "OE ｲﾝｽﾄｰﾙ 確認";
#ifdef Q_OS_WIN
    // The shell decides: an address of a scheme registered for a program is
    // taken, one of a scheme nothing is registered for is refused at once.
    QTest::newRow("registered scheme") << "registered" << false << 0 << "";
    QTest::newRow("nothing registered") << QString() << false << 0 << ie;
    return;
#endif
    // clang-format off
    QTest::newRow("opened") << "exit 0" << false << 30000 << "";
    QTest::newRow("no method available") << "exit 3" << false << 30000 << ie;
    QTest::newRow("mail, action failed") << "exit 4" << true << 30000 << oe;
    QTest::newRow("killed") << "kill -9 $$" << false << 30000 << ie;
    QTest::newRow("no opener") << QString() << true << 30000 << oe;
    // Still at work after the wait: opened, whatever it says later (it
    // gives up waiting for its cue after half a minute).
    QTest::newRow("still running") << "for i in $(seq 1500); do [ -e \"$0.go\" ] && break; sleep 0.02; done; exit 3"
                                   << false << 50 << "";
    // clang-format on
}

// The desktop's opener, scripted: its exit status decides, and the window
// never waits for it.
void TestInfoWindows::desktopOpener()
{
    QFETCH(QString, script);
    QFETCH(bool, mail);
    QFETCH(int, waitMs);
    QFETCH(QString, warning);
    FakeUi fake;
    testsupport::TempDir dir;
#ifdef Q_OS_WIN
    const std::string scheme = "dozuzezo-test-" + std::to_string(QCoreApplication::applicationPid());
    std::optional<testsupport::UrlScheme> registered;
    if (!script.isNull())
        registered.emplace(scheme, "cmd.exe /c echo %1> \"" + (dir / "opener.args").string() + "\"");
    ui::DesktopLauncher shell;
    QWidget asker;
    ui::openLink(shell, fake.messages, &asker, QString::fromStdString(scheme + ":page"), "missing");
    QCOMPARE(fake.messages.shown.size(), warning.isEmpty() ? 0 : 1);
    QVERIFY(warning.isEmpty() || fake.messages.shown[0].title == warning);
    const auto handedOn = [&] { // what the registered program was given, once it has run
        std::error_code ec;
        return std::filesystem::exists(dir / "opener.args", ec)
                   ? QString::fromStdString(testsupport::readFile(dir / "opener.args")).trimmed()
                   : QString();
    };
    if (registered)
        QTRY_COMPARE_WITH_TIMEOUT(handedOn(), QString::fromStdString(scheme + ":page"), 20000);
    return;
#endif
    const QString opener = QString::fromStdString((dir / "opener").string());
    if (!script.isNull()) {
        testsupport::writeFile(dir / "opener", "#!/bin/sh\necho \"$#:$1\" > \"$0.args\"\n" +
                                                   script.toStdString() + "\n");
        QFile::setPermissions(opener, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    ui::DesktopLauncher desktop(opener, waitMs);
    QWidget owner;
    if (mail)
        ui::mailTo(desktop, fake.messages, &owner, "someone@example.org");
    else
        ui::openLink(desktop, fake.messages, &owner, "https://example.org/~someone/", "missing");
    if (waitMs < 1000) { // past the wait, then its cue to end
        QTest::qWait(waitMs + 250);
        testsupport::writeFile(dir / "opener.go", "");
    }
    QTRY_VERIFY_WITH_TIMEOUT(desktop.findChildren<QProcess*>().isEmpty(), 30000);
    QCoreApplication::processEvents();
    const auto& shown = fake.messages.shown;
    QCOMPARE(shown.size(), warning.isEmpty() ? 0 : 1);
    QVERIFY(warning.isEmpty() ||
            (shown[0].title == warning && shown[0].icon == ui::MessageIcon::Warning));
    if (!script.isNull())
        QCOMPARE(testsupport::readFile(dir / "opener.args"),
                 mail ? "1:mailto:someone@example.org\n" : "1:https://example.org/~someone/\n");
}

// The buttons in Japanese, the one asked for the default; the text as given;
// the keys that answer, access keys with and without Alt.
void TestInfoWindows::messageBoxAsksInJapanese()
{
    using enum ui::MessageAnswer;
    const QString question = QStringLiteral("「vevoz君 for Windows」 を終了しますか？　");
    const QStringList okCancel = {"OK", "キャンセル"}, yesNo = {"はい(&Y)", "いいえ(&N)"};
    // The buttons from the left, then the default one; a key and its answer.
    // clang-format off
    const std::tuple<ui::MessageButtons, ui::MessageAnswer, QStringList, QKeyCombination,
                     ui::MessageAnswer> cases[] = {
        {ui::MessageButtons::OkCancel, Ok, okCancel + QStringList{"OK"}, Qt::Key_Escape, Cancel},
        {ui::MessageButtons::OkCancel, Cancel, okCancel + QStringList{"キャンセル"}, Qt::Key_Return, Cancel},
        {ui::MessageButtons::YesNo, Ok, yesNo + QStringList{"はい(&Y)"}, Qt::ALT | Qt::Key_N, Cancel},
        {ui::MessageButtons::YesNo, Ok, yesNo + QStringList{"はい(&Y)"}, Qt::Key_N, Cancel},
        {ui::MessageButtons::YesNo, Cancel, yesNo + QStringList{"いいえ(&N)"}, Qt::ALT | Qt::Key_Y, Ok},
        {ui::MessageButtons::YesNo, Cancel, yesNo + QStringList{"いいえ(&N)"}, Qt::Key_Y, Ok}};
    // clang-format on
    for (const auto& [kind, defaultAnswer, buttons, key, expected] : cases) {
        QStringList shown;
        testsupport::ModalDialogs dialogs([&](QDialog* dialog) {
            auto* box = qobject_cast<QMessageBox*>(dialog);
            QVERIFY(box);
            shown << box->windowTitle() << box->text();
            for (QAbstractButton* b : box->buttons())
                shown << b->text();
            shown << box->defaultButton()->text();
            box->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(box));
            QTest::keyClick(box, key.key(), key.keyboardModifiers());
            QTRY_VERIFY_WITH_TIMEOUT(!box->isVisible(), 2000); // the key alone answers
        });
        const ui::MessageAnswer answer = ui::QtMessageBoxes().show(
            nullptr, {question, "終了確認", ui::MessageIcon::Question, kind, defaultAnswer});
        QCOMPARE(shown, QStringList({"終了確認", question}) + buttons);
        QCOMPARE(answer, expected);
    }
}

// A name wider than the screen wraps: every line fits the box, the box fits
// the screen, the closing bracket shows, and a copy of the text is the text.
void TestInfoWindows::messageBoxWrapsLongNames()
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

QTEST_MAIN(TestInfoWindows)
#include "TestInfoWindows.moc"
