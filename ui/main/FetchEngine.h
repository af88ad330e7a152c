#pragma once
// What downloads the list for ListFetcher: the network code, in a module of
// its own in the shipped program, as Qt's network library and the libraries
// it brings take milliseconds to load that the window's start need not pay.

#include "state/ListFetch.h"

#include <QByteArray>
#include <QString>
#include <QUrl>
#include <functional>
#include <memory>

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

class FetchEngine
{
public:
    // Called on the thread that started the fetch; finished follows every start.
    struct Reports
    {
        std::function<void(qint64 received, qint64 total)> progressed; // total: -1 where not told
        std::function<void(const FetchOutcome&)> finished;
    };
    virtual ~FetchEngine() = default;
    virtual void start(const QUrl& url, const state::ListValidators& validators, const FetchLimits& limits) = 0;
    virtual void cancel() = 0;
};

// The engine; null, with the reason for the user in `why`, where it cannot
// be had.
std::unique_ptr<FetchEngine> makeFetchEngine(FetchEngine::Reports reports, QString& why);

} // namespace ui
