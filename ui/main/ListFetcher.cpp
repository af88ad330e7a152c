#include "ListFetcher.h"

namespace ui {

ListFetcher::ListFetcher(QObject* parent) : QObject(parent) {}

// A fetch still running when the window goes reports to nobody.
ListFetcher::~ListFetcher() = default;

void ListFetcher::start(const QUrl& url, const state::ListValidators& validators, const FetchLimits& limits)
{
    if (!engine_) {
        QString why;
        engine_ = makeFetchEngine({[this](qint64 received, qint64 total) { emit progressed(received, total); },
                                   [this](const FetchOutcome& outcome) { emit finished(outcome); }},
                                  why);
        if (!engine_) {
            emit finished({FetchOutcome::Kind::Failed, {}, {}, why});
            return;
        }
    }
    engine_->start(url, validators, limits);
}

void ListFetcher::cancel()
{
    if (engine_)
        engine_->cancel();
}

} // namespace ui
