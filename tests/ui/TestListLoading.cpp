// Where the window's list comes from besides start-up: fetched from a web
// server (one on 127.0.0.1 that the test runs), dropped on the window, a
// folder chosen in the settings, a file named on the command line. Whatever
// fails leaves the loaded list and the files as they were.

#include "ModalDialogs.h"
#include "RunningProgram.h"

#include "tests/postal/ListLines.h"
#include "tests/support/LoopbackHttpServer.h"
#include "tests/support/System.h"
#include "tests/support/ZipPacking.h"
#include "ui/dialogs/FolderTab.h"
#include "ui/dialogs/SettingsDialog.h"
#include "ui/main/FetchCommand.h"
#include "ui/main/Program.h"
#include "ui/main/StatusBar.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

using settings::Setting;
using testlines::line;
using testsupport::readFile;
using testsupport::writeFile;
namespace fs = std::filesystem;

namespace {

const std::string kOldList = line("01101") + line("01102");
const std::string kNewList = line("13101") + line("14101") + line("47201");
using testlines::officeLine;
const std::string kOldOffices = officeLine("01101") + officeLine("01102");
const std::string kNewOffices = officeLine("13101") + officeLine("14101") + officeLine("47201");

QByteArray archive(const std::string& list, bool badCrc = false, const std::string& name = "KEN_ALL.CSV")
{
    testsupport::TempDir dir;
    testsupport::packZip(dir / "ken_all.zip", {{name, list}});
    if (badCrc)
        testsupport::patchFirstEntry(dir / "ken_all.zip", testsupport::ZipField::Crc, 7);
    return QByteArray::fromStdString(readFile(dir / "ken_all.zip"));
}

// Every file in a folder with its bytes: nothing changed, nothing left over.
std::map<std::string, std::string> snapshot(const fs::path& folder)
{
    std::map<std::string, std::string> files;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec))
        files[entry.path().filename().string()] = readFile(entry.path());
    return files;
}

QString text(const fs::path& path)
{
    return QString::fromStdString(path.string());
}

// A label's whole text: where a long path made it give way in the middle,
// the tooltip holds it.
QString shownWhole(const QLabel* label)
{
    if (label->toolTip().isEmpty())
        return label->text();
    return label->text().contains(QChar(0x2026)) ? label->toolTip() : QStringLiteral("(not elided)");
}

} // namespace

class TestListLoading : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void fetch_data();
    void fetch();
    void officesFetch_data();
    void officesFetch();
    void otherSources_data();
    void otherSources();
    void listArgument();
    // Last: the real start sets the program's look and folder for the rest.
    void programStart_data();
    void programStart();

private:
    // The program started on `holds` in its list folder: ken_all.csv or
    // ken_all.zip with the old list, nothing, a folder that is gone, or the
    // program's own folder, not made yet.
    void start(const QString& holds);
    QString listStatus() const { return shownWhole(window_->statusPanels()->listLabel()); }
    const ui::MessageRequest* lastMessage() const
    {
        const auto& shown = program_->fake.messages.shown;
        return shown.isEmpty() ? nullptr : &shown.last();
    }

    std::optional<testsupport::TempDir> dir_;
    fs::path listFolder_;
    std::optional<testsupport::MemorySettingsStore> store_;
    std::optional<testsupport::RunningProgram> program_;
    ui::MainWindow* window_ = nullptr;
    std::optional<testsupport::LoopbackHttpServer> server_, secure_;
};

void TestListLoading::init()
{
    program_.reset();
    server_.emplace();
    secure_.emplace(true);
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    tls.addCaCertificate(testsupport::LoopbackHttpServer::certificate());
    QSslConfiguration::setDefaultConfiguration(tls);
    dir_.emplace();
    store_.emplace();
}

void TestListLoading::start(const QString& holds)
{
    listFolder_ = dir_->path() / "lists";
    fs::create_directory(listFolder_);
    if (holds == "ken_all.csv")
        writeFile(listFolder_ / "ken_all.csv", kOldList);
    else if (holds == "ken_all.zip")
        testsupport::packZip(listFolder_ / "ken_all.zip", {{"KEN_ALL.CSV", kOldList}});
    else if (holds == "gone" || holds == "home")
        listFolder_ /= holds.toStdString();
    store_->preset("Config", "OptLogo", "0");
    store_->preset("Config", "FolderName", listFolder_.string());
    store_->preset("Config", "ListUrl", server_->url("/ken_all.zip").toString().toStdString());
    program_.emplace(*store_, holds == "home" ? listFolder_ : dir_->path());
    window_ = &program_->open();
    window_->fetchCommand().limits = {500, 64 << 10};
}

// What a fetch asks of the server and what it leaves: a message, the list
// loaded, the files in the list folder.
struct Fetch
{
    QString holds;     // the list folder at start
    QString before;    // "fetched": once already; "saved over": and then changed
    QByteArray status; // of the answer to this fetch
    QByteArray headers;
    QByteArray body;
    int sent = -1; // of the body; -1 all
    bool stall = false;
    QString how =
        "menu"; // or "yes", "no" to start-up's question; "キャンセル" or "Esc" while it runs
    bool conditional = false; // the request asked "changed since?"
    QString message{};        // in the last box; empty: none after any question
    QString stored{};         // the file replaced; empty: nothing changed
    bool chunked = false;
    qint64 declared = -1;     // the length told, where not the body's
    QString address{};        // asked instead of the server's; SPORT: the secure one's port
};
Q_DECLARE_METATYPE(Fetch)

void TestListLoading::fetch_data()
{
    QTest::addColumn<Fetch>("fetch");
    const QByteArray ok = "200 OK", etag = "ETag: \"v2\"\r\n", zip = archive(kNewList);
    const QString got = "郵便番号一覧を取得しました（3 件）。";
    // clang-format off
    QTest::newRow("unzipped list replaced by the list") << Fetch{"ken_all.csv", "", ok, etag, zip, -1, false, "menu", false, got, "ken_all.csv"};
    QTest::newRow("archive replaced by the archive") << Fetch{"ken_all.zip", "", ok, etag, zip, -1, false, "menu", false, got, "ken_all.zip"};
    QTest::newRow("start-up's question, yes: archive where none was") << Fetch{"", "", ok, {}, zip, -1, false, "yes", false, got, "ken_all.zip"};
    QTest::newRow("start-up's question, no: nothing asked of the server") << Fetch{"", "", ok, etag, zip, -1, false, "no"};
    QTest::newRow("redirect followed")
        << Fetch{"ken_all.csv", "", "302 Found", "Location: /moved.zip\r\n", zip, -1, false, "menu", false, got, "ken_all.csv"};
    QTest::newRow("unchanged edition not fetched again")
        << Fetch{"ken_all.csv", "fetched", "304 Not Modified", etag, {}, -1, false, "menu", true, "郵便番号一覧は最新です。"};
    QTest::newRow("a list saved over the fetched one is fetched whole")
        << Fetch{"ken_all.csv", "saved over", "304 Not Modified", etag, {}, -1, false, "menu", false, "サーバーの応答は「304 Not Modified」でした。"};
    QTest::newRow("404 names the address and the reason")
        << Fetch{"ken_all.csv", "", "404 Not Found", {}, "gone", -1, false, "menu", false, "サーバーの応答は「404 Not Found」でした。"};
    QTest::newRow("connection cut mid-body") << Fetch{"ken_all.zip", "", ok, etag, zip, 100, false, "menu", false, " バイトのうち 100 バイトを受信）。"};
    QTest::newRow("chunks cut short") << Fetch{"ken_all.zip", "", ok, etag, zip, 100, false, "menu", false, "\n\nデータが途中で切れています。\n\n", "", true};
    QTest::newRow("slow but steady") << Fetch{"ken_all.csv", "", ok, etag, zip, 0, true, "paced", false, got, "ken_all.csv", true};
    QTest::newRow("no answer") << Fetch{"ken_all.csv", "", "", {}, {}, -1, false, "menu", false, "サーバー「127.0.0.1」から 0.5 秒のあいだ応答がありません。"};
    QTest::newRow("address not found")
        << Fetch{"ken_all.csv", "", ok, {}, zip, -1, false, "menu", false, "サーバー「nosuch.invalid」が見つかりません。", "", false, -1, "http://nosuch.invalid/ken_all.zip"};
    QTest::newRow("connection refused")
        << Fetch{"ken_all.csv", "", ok, {}, zip, -1, false, "menu", false, "サーバー「127.0.0.1」に接続を拒否されました。", "", false, -1, "http://127.0.0.1:1/ken_all.zip"};
    QTest::newRow("redirect to another host")
        << Fetch{"ken_all.csv", "", "302 Found", "Location: http://localhost:PORT/moved.zip\r\n", zip, -1, false, "menu", false, got, "ken_all.csv"};
    QTest::newRow("redirect from http to https")
        << Fetch{"ken_all.csv", "", "302 Found", "Location: https://127.0.0.1:PORT/moved.zip\r\n", zip, -1, false, "menu", false, "サーバー「127.0.0.1」が応答せずに接続を切りました。"};
    QTest::newRow("certificate for another name")
        << Fetch{"ken_all.csv", "", ok, {}, zip, -1, false, "menu", false, "サーバー「localhost」の証明書を信頼できません（", "", false, -1, "https://localhost:SPORT/ken_all.zip"};
    QTest::newRow("redirect from https to http")
        << Fetch{"ken_all.csv", "", "302 Found", "Location: http://127.0.0.1:PORT/moved.zip\r\n", zip, -1, false, "menu", false,
                 "より安全でないアドレス「http://127.0.0.1:PORT/moved.zip」への転送は受け付けません。", "", false, -1, "https://127.0.0.1:SPORT/ken_all.zip"};
    QTest::newRow("redirect loop") << Fetch{"ken_all.csv", "", "302 Found", "Location: /ken_all.zip\r\n", zip, -1, false, "menu", false, "転送（リダイレクト）が多すぎます。"};
    QTest::newRow("damaged compression")
        << Fetch{"ken_all.csv", "", ok, "Content-Encoding: gzip\r\n", "not gzip", -1, false, "menu", false, "圧縮されたデータが壊れています。"};
    QTest::newRow("unknown compression")
        << Fetch{"ken_all.csv", "", ok, "Content-Encoding: br\r\n", zip, -1, false, "menu", false, "対応していない圧縮形式「br」で"};
    QTest::newRow("length told over the limit: refused before the body")
        << Fetch{"ken_all.csv", "", ok, etag, {}, 0, true, "menu", false, "大きさが上限の 65536 バイト を超えています（65537 バイト）。", "", false, 65537};
    // The limit's edge, with and without a length, compressed or not.
    for (const bool chunked : {false, true})
        for (const bool deflated : {false, true})
            for (const int over : {0, 1})
                QTest::addRow("%d bytes over the limit, %s, %s", over, chunked ? "chunked" : "length told", deflated ? "deflated" : "plain")
                    << Fetch{"ken_all.csv", "", ok, deflated ? "Content-Encoding: deflate\r\n" : "", deflated ? qCompress(QByteArray((64 << 10) + over, 'P')).mid(4) : QByteArray((64 << 10) + over, 'P'),
                             -1, false, "menu", false, over ? (deflated ? "展開後の" : "\n\n") + QString("大きさが上限の 65536 バイト を超えています") : "「ken_all.zip」は zip 書庫ではありません。", "", chunked};
    QTest::newRow("damaged archive") << Fetch{"ken_all.csv", "", ok, etag, archive(kNewList, true), -1, false, "menu", false, "CRC が一致しません"};
    QTest::newRow("an archive without a list")
        << Fetch{"ken_all.csv", "", ok, etag, archive(kNewList, false, "README.TXT"), -1, false, "menu", false, "zip 書庫「ken_all.zip」に一覧 KEN_ALL.CSV がありません。"};
    QTest::newRow("a damaged list in a sound archive")
        << Fetch{"ken_all.csv", "", ok, etag, archive(kNewList + line("13102", "町", "東京都", ",0\r\n")), -1, false, "menu", false,
                 "の「KEN_ALL.CSV」を読み込めません: 4 行目"};
    QTest::newRow("stall") << Fetch{"ken_all.csv", "", ok, etag, zip, 100, true, "menu", false, "0.5 秒のあいだ、データが届きませんでした。"};
    for (const char* cancel : {"キャンセル", "Esc"})
        QTest::addRow("cancelled by %s", cancel) << Fetch{"ken_all.csv", "", ok, etag, QByteArray(60'000, 'P'), 40'000, true, cancel};
    QTest::newRow("folder gone: nothing asked, nothing loaded")
        << Fetch{"gone", "", ok, etag, zip, -1, false, "menu", false, "郵便番号一覧を取得できません。　\n\n保存先のフォルダ「"};
    QTest::newRow("the program's own folder made") << Fetch{"home", "", ok, etag, zip, -1, false, "menu", false, got, "ken_all.zip"};
    // clang-format on
}

void TestListLoading::fetch()
{
    QFETCH(Fetch, fetch);
    const auto& [holds, before, status, headersTold, body, sent, stall, how, conditional, message,
                 stored, chunked, declared, addressTold] = fetch;
    start(holds);
    const QByteArray port = QByteArray::number(server_->port());
    const QByteArray headers = QByteArray(headersTold).replace("PORT", port);
    const QString address = QString(addressTold).replace("SPORT", QString::number(secure_->port()));
#ifdef _WIN32
    if (address.startsWith("https:"))
        QSKIP("Wine's Schannel cannot serve TLS with the test's certificate");
#endif
    if (!address.isEmpty())
        program_->state->settings().remember(Setting::ListUrl, address.toStdString());
    auto& messages = program_->fake.messages;
    QStringList items;
    for (const QAction* action : window_->menuBar()->findChild<QMenu*>("mnuFile")->actions())
        items << action->objectName() + " " + action->text();
    QCOMPARE(items, (QStringList{"mnuFileSave 指定都道府県の保存(&S)",
                                 "mnuFileJigyosyo 事業所の個別郵便番号の保存(&J)...",
                                 "mnuFileFetch 最新の郵便番号一覧を取得(&G)...", "mnuFileDummy ",
                                 "mnuFileEnd vevoz君 の終了(&X)..."}));
    const QString url = address.isEmpty() ? server_->url("/ken_all.zip").toString() : address;
    auto fetchNow = [&] {
        window_->findChild<QAction*>("mnuFileFetch")->trigger();
        QTRY_VERIFY(!window_->fetchCommand().running());
    };
    if (!before.isEmpty()) {
        server_->responses["/ken_all.zip"] = {"200 OK", "ETag: \"v1\"\r\n", archive(kOldList)};
        fetchNow();
        QCOMPARE(messages.shown.size(), 1);
        QCOMPARE(store_->read("Config", "ListETag"), "\"v1\"");
        if (before == "saved over")
            writeFile(listFolder_ / "ken_all.csv", kOldList + line("01103"));
        messages.shown.clear();
        server_->requests.clear();
    }
    for (auto* server : {&*server_, &*secure_})
        server->responses["/ken_all.zip"] = {status, headers, body, sent, stall, chunked, declared, status.isEmpty()};
    server_->responses["/moved.zip"] = {"200 OK", {}, body};
    const auto filesBefore = snapshot(listFolder_);
    const std::size_t rowsBefore = program_->state->list().rowCount();
    const QString statusBefore = listStatus();

    const bool cancelled = how == "キャンセル" || how == "Esc";
    if (how == "menu" || how == "paced" || cancelled) {
        window_->findChild<QAction*>("mnuFileFetch")->trigger();
        // Twice the stall limit in all, a piece at a time within it.
        for (int piece = 0; how == "paced" && piece < 8; ++piece) {
            QTest::qWait(125);
            server_->sendMore(body.size() / 8 + 1);
        }
    } else {
        messages.answers << (how == "yes" ? ui::MessageAnswer::Ok : ui::MessageAnswer::Cancel);
        window_->offerListFetch();
        const ui::MessageRequest& question = messages.shown.value(0);
        QVERIFY(question.title == "取得確認" && question.icon == ui::MessageIcon::Question &&
                question.buttons == ui::MessageButtons::YesNo &&
                question.defaultButton == ui::MessageAnswer::Ok);
        QVERIFY2(question.text.startsWith("最新の郵便番号一覧を今すぐ取得しますか？　\n\n取得元: " +
                                          url + "\n保存先: " + text(listFolder_)),
                 qPrintable(question.text));
        messages.shown.clear();
    }
    if (cancelled) {
        QPointer<QProgressDialog> progress = window_->fetchCommand().progress();
        QTRY_VERIFY2(progress && progress->labelText().contains("40,000 / 60,000"),
                     qPrintable(progress ? progress->labelText() : lastMessage()->text));
        QCOMPARE(progress->windowTitle(), QStringLiteral("郵便番号一覧の取得"));
        QVERIFY2(progress->labelText().contains(url) &&
                     progress->labelText().endsWith(" バイト受信"),
                 qPrintable(progress->labelText()));
        QPushButton* cancel = progress->findChild<QPushButton*>();
        QCOMPARE(cancel->text(), QStringLiteral("キャンセル"));
        QApplication::setActiveWindow(progress);
        QVERIFY(QTest::qWaitForWindowActive(progress));
        if (how == "Esc")
            QTest::keyClick(progress, Qt::Key_Escape);
        else
            cancel->click();
    }
    QTRY_VERIFY(!window_->fetchCommand().running());
    QTest::qWait(cancelled ? 700 : 0); // past the stall limit: a cancel says nothing later either

    const int asked = how == "no" || holds == "gone" ? 0
                      : headers.startsWith("Location: /ken_all") ? 51
                      : headers.startsWith("Location") ? 2 : 1;
#ifdef _WIN32
    // Busy, Qt under Wine may send a redirect's request over two connections at once.
    if (headers.startsWith("Location") && address.isEmpty())
        QVERIFY2(server_->requests.size() >= asked, qPrintable(QString::number(asked)));
    else
#endif
        QCOMPARE(server_->requests.size(), address.isEmpty() ? asked : 0);
    if (headers.startsWith("Location: https"))
        QCOMPARE(server_->requests.last(), "TLS hello");
    if (!server_->requests.isEmpty())
        QCOMPARE(server_->requests[0].contains("If-None-Match: \"v1\"\r\n"), conditional);
    if (message.isEmpty()) {
        QVERIFY2(messages.shown.isEmpty(), qPrintable(messages.shown.value(0).text));
    } else {
        QCOMPARE(messages.shown.size(), 1);
        QCOMPARE(lastMessage()->title, QStringLiteral("取得確認"));
        const bool failed = stored.isEmpty() && !message.contains("最新");
        QCOMPARE(lastMessage()->icon,
                 failed ? ui::MessageIcon::Warning : ui::MessageIcon::Information);
        QVERIFY2(lastMessage()->text.contains(QString(message).replace("PORT", port)), qPrintable(lastMessage()->text));
        QCOMPARE(lastMessage()->text.contains("「" + url + "」 から"),
                 failed && !message.contains("保存"));
        QCOMPARE(lastMessage()->text.endsWith("これまでの一覧はそのままです。"), failed && holds.startsWith("ken_all"));
    }

    auto filesAfter = filesBefore;
    if (stored.isEmpty()) {
        QCOMPARE(program_->state->list().rowCount(), rowsBefore);
        QCOMPARE(listStatus(), statusBefore);
    } else {
        filesAfter[stored.toStdString()] = stored.endsWith(".csv") ? kNewList : body.toStdString();
        QCOMPARE(program_->state->list().rowCount(), std::size_t(3));
        QCOMPARE(listStatus(), "一覧: " + text(listFolder_ / stored.toStdString()) +
                                   (stored.endsWith(".zip") ? " の KEN_ALL.CSV" : "") + "（3 件）");
        QCOMPARE(store_->read("Config", "ListETag"), headers.contains("ETag") ? "\"v2\"" : "");
    }
    QVERIFY(snapshot(listFolder_) == filesAfter);
    // Validators only from a fetch that stored its list; the address never written back.
    QVERIFY(!store_->contains("Config", "ListETag") || !before.isEmpty() || !stored.isEmpty());
    for (const auto& write : store_->writes())
        QVERIFY(write.key != "ListUrl");
}

void TestListLoading::officesFetch_data()
{
    QTest::addColumn<QString>("holds"); // the business list in the folder at start
    QTest::addColumn<QString>("how");   // the fetch command, or the save answered yes or no
    QTest::addColumn<QByteArray>("status");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("message"); // the last box's whole text; URL: the business list's
    QTest::addColumn<QString>("stored");  // the business list replaced; empty: kept
    const QByteArray ok = "200 OK", zip = archive(kNewOffices, false, "JIGYOSYO.CSV");
    const QString both = "郵便番号一覧を取得しました（3 件）。\n\n";
    const QString got = "事業所の個別郵便番号の一覧を取得しました（3 件）。";
    // clang-format off
    QTest::newRow("fetch: JIGYOSYO.CSV replaced by the list") << "JIGYOSYO.CSV" << "menu" << ok << zip << both + got << "JIGYOSYO.CSV";
    QTest::newRow("fetch: jigyosyo.zip replaced by the archive") << "jigyosyo.zip" << "menu" << ok << zip << both + got << "jigyosyo.zip";
    QTest::newRow("fetch: unchanged, its own validators sent") << "JIGYOSYO.CSV" << "menu" << QByteArray("304 Not Modified") << QByteArray()
                                                                << both + "事業所の個別郵便番号の一覧は最新です。" << "";
    QTest::newRow("fetch: damaged download refused, the list kept")
        << "JIGYOSYO.CSV" << "menu" << ok << archive(officeLine("13101") + officeLine("14101", "220001"), false, "JIGYOSYO.CSV")
        << both + "「URL」 から取得したファイルは事業所の個別郵便番号の一覧として使えません。　\n\n一覧「jigyosyo.zip」の「JIGYOSYO.CSV」を読み込めません: "
                  "2 行目の 8 番目の項目が 7 桁の数字ではありません。\n\nこれまでの一覧はそのままです。" << "";
    QTest::newRow("save: none, fetched, saved") << "" << "yes" << ok << zip << "指定の都道府県の事業所を保存しました。　" << "jigyosyo.zip";
    QTest::newRow("save: none, not fetched") << "" << "no" << ok << zip << "" << "";
    QTest::newRow("save: none, the fetch failed")
        << "" << "yes" << QByteArray("404 Not Found") << zip
        << "事業所の個別郵便番号の一覧を 「URL」 から取得できませんでした。　\n\nサーバーの応答は「404 Not Found」でした。" << "";
    // clang-format on
}

// The business list beside the nationwide one: refreshed by the fetch where
// the folder holds one, fetched for a save where it holds none.
void TestListLoading::officesFetch()
{
    QFETCH(QString, holds);
    QFETCH(QString, how);
    QFETCH(QByteArray, status);
    QFETCH(QByteArray, body);
    QFETCH(QString, message);
    QFETCH(QString, stored);
    const fs::path folder = dir_->path() / "lists";
    fs::create_directory(folder);
    if (holds == "JIGYOSYO.CSV")
        writeFile(folder / "JIGYOSYO.CSV", kOldOffices);
    else if (!holds.isEmpty())
        testsupport::packZip(folder / "jigyosyo.zip", {{"JIGYOSYO.CSV", kOldOffices}});
    const QString url = server_->url("/jigyosyo.zip").toString();
    store_->preset("Config", "JigyosyoUrl", url.toStdString());
    start("ken_all.csv");
    auto& messages = program_->fake.messages;
    auto fetchNow = [&](const QString& command) {
        window_->findChild<QAction*>(command)->trigger();
        // The progress names the list it fetches first.
        if (const QProgressDialog* progress = window_->fetchCommand().progress())
            QCOMPARE(progress->labelText(), command == "mnuFileFetch"
                                                ? "「" + server_->url("/ken_all.zip").toString() + "」 から郵便番号一覧を取得しています。\n\n0 バイト受信"
                                                : "「" + url + "」 から事業所の個別郵便番号の一覧を取得しています。\n\n0 バイト受信");
        QTRY_VERIFY(!window_->fetchCommand().running());
    };
    server_->responses["/ken_all.zip"] = {"200 OK", "ETag: \"v1\"\r\n", archive(kNewList)};
    const bool conditional = status.startsWith("304");
    if (conditional) {
        server_->responses["/jigyosyo.zip"] = {"200 OK", "ETag: \"j1\"\r\n", body.isEmpty() ? archive(kNewOffices, false, "JIGYOSYO.CSV") : body};
        fetchNow("mnuFileFetch");
        messages.shown.clear();
        server_->requests.clear();
    }
    server_->responses["/jigyosyo.zip"] = {status, "ETag: \"j2\"\r\n", body};
    const auto filesBefore = snapshot(folder);
    for (int i = 0; i < 47; ++i)
        window_->prefectureBox(i)->setChecked(i == 12 || i == 46);
    const fs::path saved = dir_->path() / "offices.csv";
    if (how != "menu") {
        messages.answers << (how == "yes" ? ui::MessageAnswer::Ok : ui::MessageAnswer::Cancel);
        program_->fake.files.answers.enqueue(text(saved));
    }
    fetchNow(how == "menu" ? "mnuFileFetch" : "mnuFileJigyosyo");

    if (how != "menu") {
        const ui::MessageRequest& question = messages.shown.value(0);
        QVERIFY(question.title == "取得確認" && question.icon == ui::MessageIcon::Question &&
                question.buttons == ui::MessageButtons::YesNo &&
                question.defaultButton == ui::MessageAnswer::Ok);
        QCOMPARE(question.text, "事業所の個別郵便番号の一覧がありません。今すぐ取得しますか？　\n\n取得元: " +
                                    url + "\n保存先: " + text(folder));
        messages.shown.removeFirst();
    }
    // Each list asked for once, with its own validators where it has them.
    QStringList asked;
    for (const QByteArray& request : server_->requests)
        asked << QString(request.left(request.indexOf(" HTTP"))) +
                     (request.contains("If-None-Match: \"v1\"\r\n") ? " v1" : "") +
                     (request.contains("If-None-Match: \"j1\"\r\n") ? " j1" : "");
    const QString jigyosyo = conditional ? "GET /jigyosyo.zip j1" : "GET /jigyosyo.zip";
    const QString kenAll = conditional ? "GET /ken_all.zip v1" : "GET /ken_all.zip";
    QCOMPARE(asked, how == "no"    ? QStringList()
                    : how == "yes" ? QStringList{jigyosyo}
                                   : (QStringList{kenAll, jigyosyo}));
    QCOMPARE(messages.shown.size(), message.isEmpty() ? 0 : 1);
    if (!message.isEmpty()) {
        QCOMPARE(lastMessage()->text, QString(message).replace("URL", url));
        QCOMPARE(lastMessage()->title, how == "yes" && !stored.isEmpty() ? "保存確認" : "取得確認");
        QCOMPARE(lastMessage()->icon, message.contains("ません") ? ui::MessageIcon::Warning : ui::MessageIcon::Information);
    }
    // The nationwide list is the program's; the business list only stored.
    auto filesAfter = filesBefore;
    if (how == "menu")
        filesAfter["ken_all.csv"] = kNewList;
    if (!stored.isEmpty()) {
        filesAfter[stored.toStdString()] = stored.endsWith(".zip") ? body.toStdString() : kNewOffices;
        QCOMPARE(store_->read("Config", "JigyosyoETag"), "\"j2\"");
    }
    QVERIFY(snapshot(folder) == filesAfter);
    QCOMPARE(program_->state->list().rowCount(), std::size_t(how == "menu" ? 3 : 2));
    QCOMPARE(store_->read("Config", "ListETag"), how == "menu" ? "\"v1\"" : "");
    QCOMPARE(fs::exists(saved), how == "yes" && !stored.isEmpty());
    if (fs::exists(saved))
        QCOMPARE(readFile(saved), officeLine("13101") + officeLine("47201"));
    for (const auto& write : store_->writes())
        QVERIFY(write.key != "JigyosyoUrl");
}

void TestListLoading::otherSources_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("file");  // dropped, or where the settings' folder goes
    QTest::addColumn<int>("rows");      // loaded afterwards; -1: none
    QTest::addColumn<QString>("title"); // of the one message; empty: none
    QTest::addColumn<QString>("status");
    QTest::addColumn<QString>("problem"); // a refused drop's

    // clang-format off
    QTest::newRow("KEN_ALL.CSV dropped") << "drop" << "new/KEN_ALL.CSV" << 3 << "" << "new/KEN_ALL.CSV（3 件）" << "";
    QTest::newRow("ken_all.zip dropped") << "drop" << "new/ken_all.zip" << 3 << ""
                                         << "new/ken_all.zip の KEN_ALL.CSV（3 件）" << "";
    const QString kept = "lists/ken_all.csv（2 件）";
    QTest::newRow("damaged list dropped") << "drop" << "bad/KEN_ALL.CSV" << 2 << "ファイル確認" << kept
                                          << "4 行目（最後の行）が途中で切れています。";
    QTest::newRow("missing file dropped") << "drop" << "new/none.csv" << 2 << "ファイル確認" << kept
                                          << "ファイルが存在しません。";
    QTest::newRow("FIFO dropped") << "drop" << "pipe.csv" << 2 << "ファイル確認" << kept << "ファイルではなくパイプです。";
    QTest::newRow("OK on another folder") << "OK" << "new" << 3 << "" << "new/KEN_ALL.CSV（3 件）" << "";
    QTest::newRow("OK on a folder without a list") << "OK" << "empty" << -1 << "フォルダ確認"
                                                   << "一覧は読み込まれていません" << "";
    QTest::newRow("OK on the same folder") << "OK" << "lists" << 2 << "" << "lists/ken_all.csv（2 件）" << "";
    // clang-format on
}

void TestListLoading::otherSources()
{
    QFETCH(QString, how);
    QFETCH(QString, file);
    QFETCH(int, rows);
    QFETCH(QString, title);
    QFETCH(QString, status);
    QFETCH(QString, problem);

    if (file == "pipe.csv" && !testsupport::makeFifo(dir_->path() / "pipe.csv"))
        QSKIP(testsupport::kNoFifo);
    for (const char* folder : {"new", "bad", "empty"})
        fs::create_directory(dir_->path() / folder);
    writeFile(dir_->path() / "new/KEN_ALL.CSV", kNewList);
    testsupport::packZip(dir_->path() / "new/ken_all.zip", {{"KEN_ALL.CSV", kNewList}});
    writeFile(dir_->path() / "bad/KEN_ALL.CSV", kNewList + "13101,\"cut");
    start("ken_all.csv");
    QCOMPARE(listStatus(), "一覧: " + text(listFolder_ / "ken_all.csv") + "（2 件）");
    window_->prefectureBox(12)->setChecked(false);
    // Changed after start-up: read again only where the folder changes.
    writeFile(listFolder_ / "ken_all.csv", kOldList + line("01103"));
    const fs::path path = dir_->path() / file.toStdString();

    if (how == "drop") {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(text(path))});
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(window_, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        testsupport::endIfHung(10); // a pipe without a writer is never opened
        QApplication::sendEvent(window_, &drop);
        QTest::qWait(20); // the list is opened once the drop is over
        testsupport::endIfHung(0);
    } else {
        int rowsWhileOpen = -2;
        testsupport::ModalDialogs dialogs([&](QDialog* d) {
            auto* dialog = static_cast<ui::SettingsDialog*>(d);
            if (file != "lists")
                dialog->folderTab()->openFolder(text(path));
            dialog->tabs()->setCurrentIndex(1);
            dialog->clickButton(how == "OK" ? 0 : 2);
            rowsWhileOpen =
                program_->state->listLoaded() ? int(program_->state->list().rowCount()) : -1;
        });
        window_->showSettings();
        QCOMPARE(dialogs.shown, QStringList{"SETTEI"});
        QCOMPARE(rowsWhileOpen, rows);
    }

    QCOMPARE(program_->state->listLoaded() ? int(program_->state->list().rowCount()) : -1, rows);
    QVERIFY2(listStatus().endsWith(QDir::toNativeSeparators(status)), qPrintable(listStatus()));
    const auto& shown = program_->fake.messages.shown;
    QCOMPARE(shown.size(), title.isEmpty() ? 0 : 1);
    if (!title.isEmpty()) {
        QCOMPARE(shown[0].title, title);
        QCOMPARE(shown[0].icon, ui::MessageIcon::Warning);
        QVERIFY2(shown[0].text.endsWith(how == "drop" ? "これまでの一覧をそのまま使います。  "
                                                      : "フォルダを設定して下さい。  "),
                 qPrintable(shown[0].text));
        if (how == "drop")
            QCOMPARE(QDir::fromNativeSeparators(shown[0].text),
                     QDir::fromNativeSeparators("全国版の郵便番号一覧 「" + text(path) +
                                                "」 を読み込めませんでした。　\n\n" + problem +
                                                "\n\nこれまでの一覧をそのまま使います。  "));
    }
    QVERIFY(!window_->prefectureBox(12)->isChecked());
    QVERIFY(window_->prefectureBox(13)->isChecked());
}

// The list named on the command line, as a file manager's "open with" names it.
void TestListLoading::listArgument()
{
    // clang-format off
    const std::pair<QStringList, QString> cases[] = {
        {{"dozuzezo"}, ""},
        {{"dozuzezo", "KEN_ALL.CSV"}, "KEN_ALL.CSV"},
        {{"dozuzezo", "--list", "a.zip", "b.csv"}, "a.zip"},
        {{"dozuzezo", "--list=a.csv"}, "a.csv"},
        {{"dozuzezo", "-x", "b.csv"}, "b.csv"},  // other options skipped
        {{"dozuzezo", "--", "-b.csv"}, "-b.csv"},
    };
    // clang-format on
    for (const auto& [arguments, list] : cases) {
        const std::optional<fs::path> got = ui::listArgument(arguments);
        QCOMPARE(got.value_or(fs::path()),
                 list.isEmpty() ? fs::path() : fs::current_path() / list.toStdString());
    }
}

void TestListLoading::programStart_data()
{
    QTest::addColumn<QString>("named");
    QTest::addColumn<QString>("problem"); // empty: the list is loaded
    QTest::newRow("checked list") << "KEN_ALL.CSV"
                                  << "";
    QTest::newRow("refused list") << "bad.csv"
                                  << "4 行目（最後の行）が途中で切れています。";
    QTest::newRow("missing list") << "none.csv"
                                  << "ファイルが存在しません。";
    QTest::newRow("FIFO without a writer") << "pipe.csv"
                                           << "ファイルではなくパイプです。";
}

// The list is read on a second thread while the window is built; the window
// is shown only holding the checked list, or after the refusal's warning,
// which names the file and what is wrong, never the settings' folder.
void TestListLoading::programStart()
{
    QFETCH(QString, named);
    QFETCH(QString, problem);
    writeFile(*dir_ / "settings.ini", "[Config]\nOptLogo=0\n");
    writeFile(*dir_ / "KEN_ALL.CSV", kNewList);
    writeFile(*dir_ / "bad.csv", kNewList + "13101,\"cut");
    if (named == "pipe.csv" && !testsupport::makeFifo(*dir_ / "pipe.csv"))
        QSKIP(testsupport::kNoFifo);
    qputenv("DOZUZEZO_SETTINGS", text(*dir_ / "settings.ini").toUtf8());
    QStringList warnings;
    testsupport::ModalDialogs dialogs([&](QDialog* box) {
        const QWidget* main = nullptr;
        for (const QWidget* w : QApplication::topLevelWidgets())
            main = w->objectName() == QLatin1String("DOZUZEZO") ? w : main;
        warnings << box->windowTitle() +
                        (main && !main->isVisible() ? " before the window: " : ": ") +
                        QDir::fromNativeSeparators(static_cast<QMessageBox*>(box)->text())
                            .remove(QChar(0x200B)); // the breaks a long path gets
        box->close();
    });
    ui::Program program(*qApp);
    const fs::path file = *dir_ / named.toStdString();
    testsupport::endIfHung(10);
    ui::MainWindow& window = program.start({"dozuzezo", text(file)});
    testsupport::endIfHung(0);
    qunsetenv("DOZUZEZO_SETTINGS");
    QVERIFY(window.isVisible());
    const QString refused = "全国版の郵便番号一覧 「" + QDir::fromNativeSeparators(text(file)) +
                            "」 を読み込めませんでした。　\n\n" + problem;
    QCOMPARE(warnings, problem.isEmpty()
                           ? QStringList()
                           : QStringList{"ファイル確認 before the window: " + refused +
                                         "\n\n一覧は読み込まれていません。  "});
    QCOMPARE(shownWhole(window.statusPanels()->listLabel()),
             problem.isEmpty() ? QStringLiteral("一覧: %1（3 件）").arg(text(file))
                               : QStringLiteral("一覧は読み込まれていません"));
    // Dropped on a window without a list: no list is said to stay.
    if (!problem.isEmpty()) {
        window.openList(file);
        QCOMPARE(warnings.size(), 2);
        QCOMPARE(warnings[1], "ファイル確認: " + refused + "\n\n一覧は読み込まれていません。  ");
    }
}

QTEST_MAIN(TestListLoading)
#include "TestListLoading.moc"
