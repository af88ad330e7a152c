#include "FetchCommand.h"

#include "platform/FileSystem.h"
#include "state/Startup.h"
#include "ui/common/MessageBoxes.h"
#include "ui/common/PathText.h"

#include <QLocale>
#include <QProgressBar>
#include <QProgressDialog>
#include <utility>

namespace ui {

namespace {

const QString kTitle = QStringLiteral("取得確認");

QString number(qint64 n)
{
    return QLocale(QLocale::Japanese, QLocale::Japan).toString(n);
}

QString fetchUrl(const state::ProgramState& state, state::FetchedList which)
{
    return QString::fromStdString(state::fetchUrl(state.settings().copies(), which));
}

QString listFolder(const state::ProgramState& state)
{
    return fromPath(state::pathFromText(state.settings().text(settings::Setting::FolderName)));
}

// What the messages call each list.
QString listName(state::FetchedList which)
{
    return which == state::FetchedList::Business ? QStringLiteral("事業所の個別郵便番号の一覧")
                                                 : QStringLiteral("郵便番号一覧");
}

} // namespace

QString fetchQuestion(const state::ProgramState& state)
{
    return QStringLiteral("最新の郵便番号一覧を今すぐ取得しますか？　\n\n取得元: %1\n保存先: %2")
        .arg(fetchUrl(state, state::FetchedList::Nationwide), listFolder(state));
}

QString businessFetchQuestion(const state::ProgramState& state)
{
    return QStringLiteral("事業所の個別郵便番号の一覧がありません。今すぐ取得しますか？　\n\n"
                          "取得元: %1\n保存先: %2")
        .arg(fetchUrl(state, state::FetchedList::Business), listFolder(state));
}

FetchCommand::FetchCommand(state::ProgramState& state, MessageBoxes& messages, QWidget* window)
    : QObject(window), state_(state), messages_(messages), window_(window)
{
    connect(&fetcher_, &ListFetcher::progressed, this, &FetchCommand::showProgress);
    // Queued: the messages that end a fetch wait until the network code has
    // returned from the reply's signal.
    connect(&fetcher_, &ListFetcher::finished, this, &FetchCommand::finish, Qt::QueuedConnection);
}

void FetchCommand::run()
{
    if (running() || !prepare(state::FetchedList::Nationwide))
        return;
    // The business list is refreshed only where the user keeps one.
    next_.clear();
    if (state::holdsBusinessList(state_.settings().copies()))
        next_.push_back(state::FetchedList::Business);
    start(state::FetchedList::Nationwide);
}

void FetchCommand::fetchBusinessList(std::function<void()> whenStored)
{
    if (running() || !prepare(state::FetchedList::Business))
        return;
    next_.clear();
    whenStored_ = std::move(whenStored);
    start(state::FetchedList::Business);
}

bool FetchCommand::prepare(state::FetchedList first)
{
    which_ = first;
    keptBefore_ = first == state::FetchedList::Business &&
                  state::holdsBusinessList(state_.settings().copies());
    said_.clear();
    failed_ = false;
    whenStored_ = nullptr;
    // Where the list goes first: nothing is downloaded that has nowhere to go.
    const std::string folder =
        state::prepareFetchFolder(state_.settings().copies(), state_.programFolder());
    if (!folder.empty()) {
        messages_.warn(window_,
                       listName(first) + QStringLiteral("を取得できません。　\n\n") +
                           QString::fromStdString(folder) + listKept(),
                       kTitle);
        return false;
    }
    // Not modal to the application: the clock goes on and the window repaints.
    progress_ = new QProgressDialog(window_);
    progress_->setObjectName(QStringLiteral("FetchProgress"));
    progress_->setWindowTitle(QStringLiteral("郵便番号一覧の取得"));
    // The dialog's own button: a button set in its place leaves Esc ambiguous.
    progress_->setCancelButtonText(QStringLiteral("キャンセル"));
    // Our own bar: the dialog's setValue() would run the event loop inside
    // the network's signals.
    progress_->setBar(new QProgressBar(progress_));
    progress_->setAutoClose(false);
    progress_->setAutoReset(false);
    progress_->setWindowModality(Qt::WindowModal);
    progress_->setMinimumWidth(420);
    connect(progress_, &QProgressDialog::canceled, &fetcher_, &ListFetcher::cancel);
    return true;
}

void FetchCommand::start(state::FetchedList which)
{
    which_ = which;
    keptBefore_ = which == state::FetchedList::Business &&
                  state::holdsBusinessList(state_.settings().copies());
    url_ = fetchUrl(state_, which);
    showProgress(0, -1);
    progress_->show();
    fetcher_.start(QUrl(url_), state::fetchValidators(state_.settings().copies(), which), limits);
}

// Said only where there is a list to keep.
QString FetchCommand::listKept() const
{
    const bool kept = which_ == state::FetchedList::Business ? keptBefore_ : state_.listLoaded();
    return kept ? QStringLiteral("\n\nこれまでの一覧はそのままです。") : QString();
}

void FetchCommand::showProgress(qint64 received, qint64 total)
{
    if (!progress_)
        return;
    QString amount = number(received);
    if (total > 0)
        amount += QStringLiteral(" / ") + number(total);
    progress_->setLabelText(QStringLiteral("「%1」 から%2を取得しています。\n\n%3 バイト受信")
                                .arg(url_, listName(which_), amount));
    auto* bar = progress_->findChild<QProgressBar*>();
    bar->setRange(0, total > 0 ? int(total) : 0);
    bar->setValue(total > 0 ? int(received) : 0);
}

void FetchCommand::finish(const FetchOutcome& outcome)
{
    bool stored = false;
    if (outcome.kind == FetchOutcome::Kind::Cancelled) {
        next_.clear(); // what was done before the cancel is still said
    } else {
        QString text;
        const bool failed = report(outcome, text);
        failed_ = failed_ || failed;
        stored = outcome.kind == FetchOutcome::Kind::Fetched && !failed;
        said_ << text;
        if (!next_.empty()) {
            const state::FetchedList which = next_.front();
            next_.erase(next_.begin());
            start(which);
            return;
        }
    }
    if (progress_) {
        progress_->hide();
        progress_->deleteLater();
        progress_ = nullptr;
    }
    const std::function<void()> then = std::exchange(whenStored_, nullptr);
    if (stored && then) {
        then();
        return;
    }
    if (said_.isEmpty())
        return;
    const QString text = said_.join(QStringLiteral("\n\n"));
    said_.clear();
    if (failed_)
        messages_.warn(window_, text, kTitle);
    else
        messages_.inform(window_, text, kTitle);
}

bool FetchCommand::report(const FetchOutcome& outcome, QString& text)
{
    const bool business = which_ == state::FetchedList::Business;
    const QString name = listName(which_);
    switch (outcome.kind) {
    case FetchOutcome::Kind::Cancelled:
    case FetchOutcome::Kind::NotModified:
        text = name + QStringLiteral("は最新です。");
        return false;
    case FetchOutcome::Kind::Failed:
        text = QStringLiteral("%1を 「%2」 から取得できませんでした。　\n\n").arg(name, url_) +
               outcome.reason + listKept();
        return true;
    case FetchOutcome::Kind::Fetched:
        break;
    }
    QString shownAs = QUrl(url_).fileName();
    if (shownAs.isEmpty())
        shownAs = QString::fromLatin1(business ? platform::kBusinessArchive
                                               : platform::kPublishedArchive);
    const state::FetchInstall installed = state::installFetchedList(
        std::string_view(outcome.body.constData(), std::size_t(outcome.body.size())),
        shownAs.toStdString(), outcome.validators, state_.settings(), which_);
    const QString problem = QString::fromStdString(installed.problem);
    switch (installed.outcome) {
    case state::FetchInstall::Outcome::Refused:
        text = QStringLiteral("「%1」 から取得したファイルは%2として使えません。　\n\n")
                   .arg(url_, name) +
               problem + listKept();
        return true;
    case state::FetchInstall::Outcome::NotStored:
        text = QStringLiteral("取得した%1を保存できませんでした。　\n\n").arg(name) + problem +
               listKept();
        return true;
    case state::FetchInstall::Outcome::Stored:
        break;
    }
    if (business) {
        text = QStringLiteral("事業所の個別郵便番号の一覧を取得しました（%1 件）。")
                   .arg(number(qint64(installed.businessRows)));
        return false;
    }
    state_.setList(installed.list, installed.file, installed.entry);
    emit listLoaded();
    text = QStringLiteral("郵便番号一覧を取得しました（%1 件）。")
               .arg(number(qint64(installed.list->rowCount())));
    return false;
}

} // namespace ui
