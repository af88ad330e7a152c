#pragma once
// Downloads the published list archive into memory: the system's proxy,
// redirects that never lead to a less safe address, a size cap and a stall
// limit. It only fetches; what the download is worth is decided elsewhere.

#include "state/ListFetch.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QUrl>
#include <memory>

class QNetworkAccessManager;
class QNetworkReply;

namespace ui {

struct FetchLimits
{
    int stallMs = 30'000;               // this long without data ends the fetch
    qint64 maxBytes = qint64(64) << 20; // a larger body is no list archive
};

struct FetchOutcome
{
    enum class Kind
    {
        Fetched,
        NotModified, // the validators sent still hold
        Failed,
        Cancelled,
    };
    Kind kind = Kind::Failed;
    QByteArray body;
    state::ListValidators validators; // what came with the body
    QString reason;                   // Failed: why, for the user
};

class ListFetcher : public QObject
{
    Q_OBJECT
public:
    explicit ListFetcher(QObject* parent = nullptr);
    ~ListFetcher() override;

    // One fetch at a time; finished() follows every start().
    void start(const QUrl& url, const state::ListValidators& validators, const FetchLimits& limits);
    void cancel();

signals:
    void progressed(qint64 received, qint64 total); // total: -1 where not told
    void finished(const ui::FetchOutcome& outcome);

private:
    void readData();
    void stalled();
    void replyFinished();
    void fail(const QString& reason);

    std::unique_ptr<QNetworkAccessManager> network_; // made at the first fetch
    QPointer<QNetworkReply> reply_;
    QTimer stall_;
    FetchLimits limits_;
    QByteArray body_;
    bool conditional_ = false;
    QString failure_; // why we aborted the reply ourselves
};

} // namespace ui
