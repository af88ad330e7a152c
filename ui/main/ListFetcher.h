#pragma once
// Downloads the published list archive into memory: the system's proxy,
// redirects that never lead to a less safe address, a size cap and a stall
// limit. It only fetches; what the download is worth is decided elsewhere.

#include "FetchEngine.h"

#include <QObject>
#include <memory>

namespace ui {

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
    std::unique_ptr<FetchEngine> engine_; // made at the first fetch
};

} // namespace ui
