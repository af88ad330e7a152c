#pragma once
// The command that fetches the current list: the progress dialog while it
// downloads, the check and replacement, and the messages that end it.

#include "ListFetcher.h"

#include "state/ProgramState.h"

#include <QObject>
#include <QPointer>
#include <QProgressDialog>

namespace ui {

class MessageBoxes;

class FetchCommand : public QObject
{
    Q_OBJECT
public:
    FetchCommand(state::ProgramState& state, MessageBoxes& messages, QWidget* window);

    // Starts a fetch and returns; the window stays responsive meanwhile.
    void run();
    bool running() const { return progress_ != nullptr; }
    QProgressDialog* progress() const { return progress_; }
    FetchLimits limits;

signals:
    void listLoaded();

private:
    void showProgress(qint64 received, qint64 total);
    void finish(const FetchOutcome& outcome);
    QString listKept() const;

    state::ProgramState& state_;
    MessageBoxes& messages_;
    QWidget* window_;
    ListFetcher fetcher_;
    QPointer<QProgressDialog> progress_;
    QString url_;
};

// The question start-up asks where it found no list.
QString fetchQuestion(const state::ProgramState& state);

} // namespace ui
