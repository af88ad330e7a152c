// The fetch's network code as the shipped program has it: a module found
// beside the program and loaded at the first fetch, everything it reports
// coming back across.

#include "tests/support/LoopbackHttpServer.h"
#include "ui/main/ListFetcher.h"

#include <QTest>
#include <optional>

class TestFetchModule : public QObject
{
    Q_OBJECT

private slots:
    void fetchesThroughTheModule();
};

void TestFetchModule::fetchesThroughTheModule()
{
    testsupport::LoopbackHttpServer server;
    server.responses["/ken_all.zip"] = {"200 OK", "ETag: \"v1\"\r\n", "PK the archive"};
    ui::ListFetcher fetcher;
    qint64 progress = -1;
    std::optional<ui::FetchOutcome> outcome;
    connect(&fetcher, &ui::ListFetcher::progressed, this, [&](qint64 received, qint64) { progress = received; });
    connect(&fetcher, &ui::ListFetcher::finished, this, [&](const ui::FetchOutcome& o) { outcome = o; });
    for (const char* path : {"/ken_all.zip", "/none.zip"}) {
        outcome.reset();
        fetcher.start(server.url(QString::fromLatin1(path)), {}, {});
        QTRY_VERIFY_WITH_TIMEOUT(outcome.has_value(), 10000);
        if (QByteArray(path) == "/ken_all.zip") {
            QVERIFY2(outcome->kind == ui::FetchOutcome::Kind::Fetched, qPrintable(outcome->reason));
            QCOMPARE(outcome->body, QByteArray("PK the archive"));
            QCOMPARE(outcome->validators.etag, std::string("\"v1\""));
            QCOMPARE(progress, 14);
        } else {
            QVERIFY(outcome->kind == ui::FetchOutcome::Kind::Failed);
            QVERIFY2(outcome->reason.contains(QStringLiteral("404")), qPrintable(outcome->reason));
        }
    }
}

QTEST_MAIN(TestFetchModule)
#include "TestFetchModule.moc"
