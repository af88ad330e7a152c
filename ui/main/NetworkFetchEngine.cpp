// The network side of fetching the list. The shipped program loads it as a
// module, at the first fetch; tests and the Windows build link it.
#include "FetchEngine.h"

#include <QNetworkAccessManager>
#include <QNetworkProxyFactory>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QSslError>
#include <QTimer>

#include <zlib.h>

#include <array>
#include <optional>

namespace ui {

namespace {

// Qt's buffer ahead of us: the download's memory is the body we keep.
constexpr qint64 kReadBuffer = qint64(1) << 20;

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

// A gzip or deflate body, inflated as it arrives.
class Inflater
{
public:
    Inflater() { ok_ = inflateInit2(&stream_, 15 + 32) == Z_OK; } // zlib or gzip header
    ~Inflater() { inflateEnd(&stream_); }
    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;

    // Appends what `in` inflates to; false where the data is damaged or
    // would take `out` past `limit` (`tooLarge`).
    bool feed(QByteArrayView in, QByteArray& out, qint64 limit, bool& tooLarge)
    {
        stream_.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
        stream_.avail_in = uInt(in.size());
        while (ok_ && !ended_ && (stream_.avail_in > 0 || stream_.avail_out == 0)) {
            stream_.next_out = reinterpret_cast<Bytef*>(chunk_.data());
            stream_.avail_out = uInt(chunk_.size());
            const int status = inflate(&stream_, Z_NO_FLUSH);
            ok_ = status == Z_OK || status == Z_STREAM_END || status == Z_BUF_ERROR;
            ended_ = status == Z_STREAM_END;
            const qsizetype produced = qsizetype(chunk_.size() - stream_.avail_out);
            if (out.size() + produced > limit) {
                tooLarge = true;
                return false;
            }
            out.append(chunk_.data(), produced);
            if (status == Z_BUF_ERROR)
                break;
        }
        // Bytes after the end of the compressed data are no part of it.
        return ok_ && (!ended_ || stream_.avail_in == 0);
    }
    bool ended() const { return ended_; }

private:
    z_stream stream_{};
    std::array<char, 64 * 1024> chunk_;
    bool ok_ = false;
    bool ended_ = false;
};

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

    void start(const QUrl& url, const state::ListValidators& validators,
               const FetchLimits& limits) override;
    void cancel() override;

private:
    bool readHead();
    void readData();
    void stalled();
    void replyFinished();
    void fail(const QString& reason);
    QString tooLarge() const;
    QString networkReason(const QNetworkReply& reply) const;

    Reports reports_;
    std::unique_ptr<QNetworkAccessManager> network_; // made at the first fetch
    QPointer<QNetworkReply> reply_;
    QTimer stall_;
    FetchLimits limits_;
    QByteArray body_;
    std::optional<Inflater> inflater_; // the body came compressed
    bool headRead_ = false;            // of the answer that carries the list
    qint64 received_ = 0;              // as sent, compressed or not
    qint64 declared_ = -1;
    bool conditional_ = false;
    QString failure_; // why we aborted the reply ourselves
    QStringList certificateErrors_;
};

void NetworkFetchEngine::start(const QUrl& url, const state::ListValidators& validators,
                               const FetchLimits& limits)
{
    limits_ = limits;
    body_.clear();
    inflater_.reset();
    headRead_ = false;
    received_ = 0;
    declared_ = -1;
    failure_.clear();
    certificateErrors_.clear();
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
    // Asked for by name, Qt leaves the body compressed: we inflate it
    // ourselves, within the size limit, as it arrives.
    request.setRawHeader("Accept-Encoding", "gzip, deflate");
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
    reply_->setReadBufferSize(kReadBuffer);
    // Progress from the data itself: the reply's own progress signal is
    // held back while data trickles in.
    connect(reply_, &QNetworkReply::metaDataChanged, this, &NetworkFetchEngine::readHead);
    connect(reply_, &QNetworkReply::readyRead, this, &NetworkFetchEngine::readData);
    connect(reply_, &QNetworkReply::redirected, &stall_, qOverload<>(&QTimer::start));
    connect(reply_, &QNetworkReply::sslErrors, this, [this](const QList<QSslError>& errors) {
        for (const QSslError& error : errors)
            certificateErrors_ << error.errorString();
    });
    connect(reply_, &QNetworkReply::finished, this, &NetworkFetchEngine::replyFinished);
    stall_.start(limits_.stallMs);
}

void NetworkFetchEngine::cancel()
{
    if (reply_ && reply_->isRunning())
        reply_->abort(); // no failure: an abort of our own with none is a cancel
}

QString NetworkFetchEngine::tooLarge() const
{
    return QStringLiteral("%1大きさが上限の %2 を超えています。")
        .arg(inflater_ ? QStringLiteral("展開後の") : QString(), limitText(limits_.maxBytes));
}

// The head of the answer that carries the list: a length over the limit is
// refused before any of the body comes. False where the fetch ends here.
bool NetworkFetchEngine::readHead()
{
    const int status = reply_->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (headRead_ || status < 200 || status >= 300)
        return true;
    headRead_ = true;
    stall_.start();
    const QVariant length = reply_->header(QNetworkRequest::ContentLengthHeader);
    declared_ = length.isValid() ? length.toLongLong() : -1;
    const QByteArray encoding = reply_->rawHeader("Content-Encoding").trimmed().toLower();
    if (encoding == "gzip" || encoding == "x-gzip" || encoding == "deflate") {
        inflater_.emplace();
    } else if (!encoding.isEmpty() && encoding != "identity") {
        fail(QStringLiteral("サーバーが対応していない圧縮形式「%1」で送ってきました。")
                 .arg(QString::fromLatin1(encoding)));
        return false;
    }
    if (declared_ > limits_.maxBytes) {
        fail(QStringLiteral("大きさが上限の %1 を超えています（%2 バイト）。")
                 .arg(limitText(limits_.maxBytes))
                 .arg(declared_));
        return false;
    }
    // Room for the whole body at once: growing it by steps left the memory
    // of the steps behind (twice the limit at the peak). Pages never
    // written cost nothing.
    body_.reserve(inflater_ || declared_ < 0 ? limits_.maxBytes : declared_);
    return true;
}

void NetworkFetchEngine::readData()
{
    stall_.start(); // data came: the stall limit counts again
    if (!readHead() || !failure_.isEmpty())
        return;
    for (qint64 available; (available = reply_->bytesAvailable()) > 0;) {
        if (!headRead_) { // an error page's body: not wanted
            reply_->skip(available);
            continue;
        }
        received_ += available;
        if (inflater_) {
            const QByteArray piece = reply_->read(available);
            bool large = false;
            if (!inflater_->feed(piece, body_, limits_.maxBytes, large))
                return fail(large ? tooLarge()
                                  : QStringLiteral("圧縮されたデータが壊れています。"));
        } else {
            if (body_.size() + available > limits_.maxBytes)
                return fail(tooLarge());
            const qsizetype had = body_.size();
            body_.resize(had + available);
            reply_->read(body_.data() + had, available);
        }
    }
    reports_.progressed(received_, declared_);
}

void NetworkFetchEngine::stalled()
{
    const QString seconds = QString::number(limits_.stallMs / 1000.0);
    fail(headRead_ || received_ > 0
             ? QStringLiteral("%1 秒のあいだ、データが届きませんでした。").arg(seconds)
             : QStringLiteral("サーバー「%1」から %2 秒のあいだ応答がありません。")
                   .arg(reply_->url().host(), seconds));
}

void NetworkFetchEngine::fail(const QString& reason)
{
    failure_ = reason;
    if (reply_ && reply_->isRunning())
        reply_->abort();
}

// What the toolkit reported, in our words; its own text, which may be
// English, only in parentheses after them.
QString NetworkFetchEngine::networkReason(const QNetworkReply& reply) const
{
    const QString host = reply.url().host();
    const QString toolkit = QStringLiteral("（%1）").arg(reply.errorString());
    switch (reply.error()) {
    case QNetworkReply::HostNotFoundError:
        return QStringLiteral(
                   "サーバー「%1」が見つかりません。アドレスとネットワークの接続を確かめて下さい。")
            .arg(host);
    case QNetworkReply::ConnectionRefusedError:
        return QStringLiteral("サーバー「%1」に接続を拒否されました。").arg(host);
    case QNetworkReply::TimeoutError:
        return QStringLiteral("サーバー「%1」から応答がありません。").arg(host);
    case QNetworkReply::RemoteHostClosedError:
        return headRead_ ? QStringLiteral("データが途中で切れています。")
                         : QStringLiteral("サーバー「%1」が応答せずに接続を切りました。").arg(host);
    case QNetworkReply::SslHandshakeFailedError:
        if (!certificateErrors_.isEmpty())
            return QStringLiteral("サーバー「%1」の証明書を信頼できません（%2）。")
                .arg(host, certificateErrors_.join(QStringLiteral(" ")));
        return QStringLiteral("サーバー「%1」と安全な接続（TLS）を確立できません。").arg(host) +
               toolkit;
    case QNetworkReply::TooManyRedirectsError:
        return QStringLiteral("転送（リダイレクト）が多すぎます。");
    case QNetworkReply::InsecureRedirectError: {
        const QUrl to = reply.url().resolved(QUrl::fromEncoded(reply.rawHeader("Location")));
        return QStringLiteral("より安全でないアドレス「%1」への転送は受け付けません。")
            .arg(to.toDisplayString());
    }
    case QNetworkReply::ProxyConnectionRefusedError:
    case QNetworkReply::ProxyConnectionClosedError:
    case QNetworkReply::ProxyNotFoundError:
    case QNetworkReply::ProxyTimeoutError:
    case QNetworkReply::ProxyAuthenticationRequiredError:
        return QStringLiteral("プロキシサーバーを通して接続できません。") + toolkit;
    default:
        return QStringLiteral("通信に失敗しました。") + toolkit;
    }
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
            .arg(reply.attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString())
            .replace(QStringLiteral(" 」"), QStringLiteral("」"));
    const bool cutShort =
        (declared_ >= 0 && received_ < declared_) || (inflater_ && !inflater_->ended());
    if (!failure_.isEmpty()) {
        outcome.reason = failure_;
    } else if (reply.error() == QNetworkReply::OperationCanceledError) {
        outcome.kind = FetchOutcome::Kind::Cancelled;
    } else if (status >= 400) {
        outcome.reason = statusText;
    } else if (headRead_ && cutShort) {
        outcome.reason =
            declared_ >= 0
                ? QStringLiteral("データが途中で切れています（%1 バイトのうち %2 バイトを受信）。")
                      .arg(declared_)
                      .arg(received_)
                : QStringLiteral("データが途中で切れています。");
    } else if (reply.error() != QNetworkReply::NoError) {
        outcome.reason = networkReason(reply);
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
    inflater_.reset();
    reports_.finished(outcome);
}

} // namespace

#ifdef _WIN32
#define ENGINE_EXPORT __declspec(dllexport)
#else
#define ENGINE_EXPORT __attribute__((visibility("default")))
#endif

// The module's way in: the program and the module share Qt and the C++ runtime.
extern "C" ENGINE_EXPORT FetchEngine*
dozuzezo_create_fetch_engine(const FetchEngine::Reports* reports)
{
    return new NetworkFetchEngine(*reports);
}

std::unique_ptr<FetchEngine> makeFetchEngine(FetchEngine::Reports reports, QString&)
{
    return std::make_unique<NetworkFetchEngine>(std::move(reports));
}

} // namespace ui
