#include "FetchCommand.h"

#include "state/Startup.h"
#include "ui/common/MessageBoxes.h"
#include "ui/common/PathText.h"

#include <QLocale>
#include <QProgressBar>
#include <QProgressDialog>

namespace ui {

namespace {

const QString kTitle = QStringLiteral("取得確認");

QString number(qint64 n)
{
    return QLocale(QLocale::Japanese, QLocale::Japan).toString(n);
}

QString listUrl(const state::ProgramState& state)
{
    return QString::fromStdString(state.settings().text(settings::Setting::ListUrl));
}

} // namespace

QString fetchQuestion(const state::ProgramState& state)
{
    return QStringLiteral("最新の郵便番号一覧を今すぐ取得しますか？　\n\n取得元: %1\n保存先: %2")
        .arg(listUrl(state),
             fromPath(state::pathFromText(state.settings().text(settings::Setting::FolderName))));
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
    if (running())
        return;
    url_ = listUrl(state_);
    // Where the list goes first: nothing is downloaded that has nowhere to go.
    const std::string folder =
        state::prepareFetchFolder(state_.settings().copies(), state_.programFolder());
    if (!folder.empty()) {
        messages_.warn(window_,
                       QStringLiteral("郵便番号一覧を取得できません。　\n\n") +
                           QString::fromStdString(folder) + listKept(),
                       kTitle);
        return;
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
    showProgress(0, -1);
    progress_->show();
    fetcher_.start(QUrl(url_), state::fetchValidators(state_.settings().copies()), limits);
}

// Said only where there is a list to keep.
QString FetchCommand::listKept() const
{
    return state_.listLoaded() ? QStringLiteral("\n\nこれまでの一覧はそのままです。") : QString();
}

void FetchCommand::showProgress(qint64 received, qint64 total)
{
    if (!progress_)
        return;
    QString amount = number(received);
    if (total > 0)
        amount += QStringLiteral(" / ") + number(total);
    progress_->setLabelText(
        QStringLiteral("「%1」 から郵便番号一覧を取得しています。\n\n%2 バイト受信")
            .arg(url_, amount));
    auto* bar = progress_->findChild<QProgressBar*>();
    bar->setRange(0, total > 0 ? int(total) : 0);
    bar->setValue(total > 0 ? int(received) : 0);
}

void FetchCommand::finish(const FetchOutcome& outcome)
{
    if (progress_) {
        progress_->hide();
        progress_->deleteLater();
        progress_ = nullptr;
    }
    switch (outcome.kind) {
    case FetchOutcome::Kind::Cancelled:
        return;
    case FetchOutcome::Kind::NotModified:
        messages_.inform(window_, QStringLiteral("郵便番号一覧は最新です。"), kTitle);
        return;
    case FetchOutcome::Kind::Failed:
        messages_.warn(
            window_,
            QStringLiteral("郵便番号一覧を 「%1」 から取得できませんでした。　\n\n").arg(url_) +
                outcome.reason + listKept(),
            kTitle);
        return;
    case FetchOutcome::Kind::Fetched:
        break;
    }
    QString shownAs = QUrl(url_).fileName();
    if (shownAs.isEmpty())
        shownAs = QStringLiteral("ken_all.zip");
    const state::FetchInstall installed = state::installFetchedList(
        std::string_view(outcome.body.constData(), std::size_t(outcome.body.size())),
        shownAs.toStdString(), outcome.validators, state_.settings());
    const QString problem = QString::fromStdString(installed.problem);
    switch (installed.outcome) {
    case state::FetchInstall::Outcome::Refused:
        messages_.warn(
            window_,
            QStringLiteral("「%1」 から取得したファイルは郵便番号一覧として使えません。　\n\n")
                    .arg(url_) +
                problem + listKept(),
            kTitle);
        return;
    case state::FetchInstall::Outcome::NotStored:
        messages_.warn(window_,
                       QStringLiteral("取得した郵便番号一覧を保存できませんでした。　\n\n") +
                           problem + listKept(),
                       kTitle);
        return;
    case state::FetchInstall::Outcome::Stored:
        break;
    }
    state_.setList(installed.list, installed.file, installed.entry);
    emit listLoaded();
    messages_.inform(window_,
                     QStringLiteral("郵便番号一覧を取得しました（%1 件）。")
                         .arg(number(qint64(installed.list->rowCount()))),
                     kTitle);
}

} // namespace ui
