#pragma once
// The command that fetches the current list: the progress dialog while it
// downloads, the check and replacement, and the messages that end it.

#include "ListFetcher.h"

#include "state/ProgramState.h"

#include <QObject>
#include <QPointer>
#include <QProgressDialog>
#include <QStringList>
#include <functional>
#include <vector>

namespace ui {

class MessageBoxes;

class FetchCommand : public QObject
{
    Q_OBJECT
public:
    FetchCommand(state::ProgramState& state, MessageBoxes& messages, QWidget* window);

    // Starts a fetch and returns; the window stays responsive meanwhile.
    // The nationwide list, then the business list where the folder holds
    // one; one message at the end says what was done for each.
    void run();
    // The business list alone, for a save that found none; `whenStored`
    // runs once it is stored, in place of the message of success.
    void fetchBusinessList(std::function<void()> whenStored);
    bool running() const { return progress_ != nullptr; }
    QProgressDialog* progress() const { return progress_; }
    FetchLimits limits;

signals:
    void listLoaded();

private:
    bool prepare(state::FetchedList first);
    void start(state::FetchedList which);
    void showProgress(qint64 received, qint64 total);
    void finish(const FetchOutcome& outcome);
    // What became of the list just fetched, for the closing message; true
    // where it failed.
    bool report(const FetchOutcome& outcome, QString& text);
    QString listKept() const;

    state::ProgramState& state_;
    MessageBoxes& messages_;
    QWidget* window_;
    ListFetcher fetcher_;
    QPointer<QProgressDialog> progress_;
    QString url_;
    state::FetchedList which_ = state::FetchedList::Nationwide;
    std::vector<state::FetchedList> next_; // still to fetch in this run
    bool keptBefore_ = false;              // the folder held the list being fetched
    QStringList said_;                     // the closing message's parts
    bool failed_ = false;
    std::function<void()> whenStored_;
};

// The question start-up asks where it found no list; the save of the
// business list where the folder holds none.
QString fetchQuestion(const state::ProgramState& state);
QString businessFetchQuestion(const state::ProgramState& state);

} // namespace ui
