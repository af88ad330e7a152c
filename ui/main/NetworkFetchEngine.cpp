// The network side of fetching the list. The shipped program loads it as a
// module, at the first fetch; tests and the Windows build link it.
#include "FetchEngine.h"

#include <QNetworkAccessManager>
#include <QNetworkProxyFactory>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QTimer>

namespace ui {

namespace {

QString limitText(qint64 bytes)
{
    const qint64 mib = qint64(1) << 20;
    return bytes % mib == 0 ? QStringLiteral("%1 MiB").arg(bytes / mib)
                            : QStringLiteral("%1 バイト").arg(bytes);
}

std::string header(const QNetworkReply& reply, const char* name)
{
    return reply.rawHeader(name).toStdString();
}

class NetworkFetchEngine : public QObject, public FetchEngine
{
public:
    explicit NetworkFetchEngine(Reports reports) : reports_(std::move(reports))
    {
        stall_.setSingleShot(true);
        connect(&stall_, &QTimer::timeout, this, &NetworkFetchEngine::stalled);
    }
    // A fetch still running when the window goes reports to nobody.
    ~NetworkFetchEngine() override
    {
        if (reply_) {
            reply_->disconnect(this);
            reply_->abort();
        }
    }

    void start(const QUrl& url, const state::ListValidators& validators, const FetchLimits& limits) override;
    void cancel() override;

private:
    void readData();
    void stalled();
    void replyFinished();
    void fail(const QString& reason);

    Reports reports_;
    std::unique_ptr<QNetworkAccessManager> network_; // made at the first fetch
    QPointer<QNetworkReply> reply_;
    QTimer stall_;
    FetchLimits limits_;
    QByteArray body_;
    bool conditional_ = false;
    QString failure_; // why we aborted the reply ourselves
};

void NetworkFetchEngine::start(const QUrl& url, const state::ListValidators& validators,
                        const FetchLimits& limits)
{
    limits_ = limits;
    body_.clear();
    failure_.clear();
    if (url.scheme() != QLatin1String("https") && url.scheme() != QLatin1String("http")) {
        reports_.finished({FetchOutcome::Kind::Failed,
                           {},
                           {},
                           QStringLiteral("http または https のアドレスではありません。")});
        return;
    }
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    if (!validators.etag.empty())
        request.setRawHeader("If-None-Match", QByteArray::fromStdString(validators.etag));
    if (!validators.lastModified.empty())
        request.setRawHeader("If-Modified-Since",
                             QByteArray::fromStdString(validators.lastModified));
    conditional_ = !validators.etag.empty() || !validators.lastModified.empty();

    if (!network_) {
        QNetworkProxyFactory::setUseSystemConfiguration(true);
        network_ = std::make_unique<QNetworkAccessManager>();
    }
    reply_ = network_->get(request);
    // Progress from the data itself: the reply's own progress signal is
    // held back while data trickles in.
    connect(reply_, &QNetworkReply::readyRead, this, &NetworkFetchEngine::readData);
    connect(reply_, &QNetworkReply::redirected, &stall_, qOverload<>(&QTimer::start));
    connect(reply_, &QNetworkReply::finished, this, &NetworkFetchEngine::replyFinished);
    stall_.start(limits_.stallMs);
}

void NetworkFetchEngine::cancel()
{
    if (reply_ && reply_->isRunning())
        reply_->abort(); // no failure: an abort of our own with none is a cancel
}

void NetworkFetchEngine::readData()
{
    stall_.start();
    body_ += reply_->readAll();
    const QVariant length = reply_->header(QNetworkRequest::ContentLengthHeader);
    const qint64 declared = length.isValid() ? length.toLongLong() : -1;
    if (body_.size() > limits_.maxBytes || declared > limits_.maxBytes)
        fail(QStringLiteral("大きさが上限の %1 を超えています。").arg(limitText(limits_.maxBytes)));
    else
        reports_.progressed(body_.size(), declared);
}

void NetworkFetchEngine::stalled()
{
    fail(QStringLiteral("%1 秒のあいだ、データが届きませんでした。").arg(limits_.stallMs / 1000.0));
}

void NetworkFetchEngine::fail(const QString& reason)
{
    failure_ = reason;
    if (reply_ && reply_->isRunning())
        reply_->abort();
}

void NetworkFetchEngine::replyFinished()
{
    stall_.stop();
    QNetworkReply& reply = *reply_;
    reply.deleteLater();
    reply_ = nullptr;

    FetchOutcome outcome;
    const int status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QString statusText =
        QStringLiteral("サーバーの応答は「%1 %2」でした。")
            .arg(status)
            .arg(reply.attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString());
    if (!failure_.isEmpty()) {
        outcome.reason = failure_;
    } else if (reply.error() == QNetworkReply::OperationCanceledError) {
        outcome.kind = FetchOutcome::Kind::Cancelled;
    } else if (status >= 400) {
        outcome.reason = statusText;
    } else if (reply.error() != QNetworkReply::NoError) {
        outcome.reason = reply.errorString();
    } else if (status == 304 && conditional_) {
        outcome.kind = FetchOutcome::Kind::NotModified;
    } else if (status == 200) {
        outcome.kind = FetchOutcome::Kind::Fetched;
        outcome.body = std::move(body_);
        outcome.validators = {header(reply, "ETag"), header(reply, "Last-Modified")};
    } else {
        outcome.reason = statusText;
    }
    body_.clear();
    reports_.finished(outcome);
}

} // namespace

#ifdef _WIN32
#define ENGINE_EXPORT __declspec(dllexport)
#else
#define ENGINE_EXPORT __attribute__((visibility("default")))
#endif

// The module's way in: the program and the module share Qt and the C++ runtime.
extern "C" ENGINE_EXPORT FetchEngine* dozuzezo_create_fetch_engine(const FetchEngine::Reports* reports)
{
    return new NetworkFetchEngine(*reports);
}

std::unique_ptr<FetchEngine> makeFetchEngine(FetchEngine::Reports reports, QString&)
{
    return std::make_unique<NetworkFetchEngine>(std::move(reports));
}

} // namespace ui
