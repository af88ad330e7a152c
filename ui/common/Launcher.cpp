#include "Launcher.h"

#include "MessageBoxes.h"

#include <QPointer>
#include <QProcess>
#include <QTimer>
#include <QWidget>
#include <memory>

#ifdef Q_OS_WIN
#include <qt_windows.h>
#include <shellapi.h>
#endif

namespace ui {

namespace {

QUrl mailUrl(const QString& address)
{
    return QUrl(QStringLiteral("mailto:") + address);
}

#ifdef Q_OS_WIN
// ShellExecute reports a missing association, and can leave the focus with
// the caller, which QDesktopServices cannot.
bool shellOpen(QWidget* owner, const QUrl& target, int showCommand)
{
    const HWND window = owner ? reinterpret_cast<HWND>(owner->window()->winId()) : nullptr;
    const QString text = target.toString(QUrl::FullyEncoded);
    const HINSTANCE result =
        ShellExecuteW(window, L"open", reinterpret_cast<LPCWSTR>(text.utf16()), nullptr, nullptr,
                      showCommand);
    return reinterpret_cast<INT_PTR>(result) > 32;
}
#endif

} // namespace

DesktopLauncher::DesktopLauncher(QString opener, int waitMs)
    : opener_(std::move(opener)), waitMs_(waitMs)
{
}

DesktopLauncher::~DesktopLauncher()
{
    // An opener still at work may be the browser itself: ending the program
    // must not end it.
    for (QProcess* running : findChildren<QProcess*>(Qt::FindDirectChildrenOnly)) {
        qDeleteAll(running->findChildren<QTimer*>());
        running->disconnect();
        running->setParent(nullptr);
    }
}

void DesktopLauncher::openWebPage(QWidget* owner, const QUrl& page, Verdict verdict)
{
#ifdef Q_OS_WIN
    verdict(shellOpen(owner, page, SW_SHOWNOACTIVATE));
#else
    Q_UNUSED(owner);
    runOpener(page, std::move(verdict));
#endif
}

void DesktopLauncher::writeMail(QWidget* owner, const QString& address, Verdict verdict)
{
#ifdef Q_OS_WIN
    verdict(shellOpen(owner, mailUrl(address), SW_SHOWNORMAL));
#else
    Q_UNUSED(owner);
    runOpener(mailUrl(address), std::move(verdict));
#endif
}

void DesktopLauncher::runOpener(const QUrl& target, Verdict verdict)
{
    auto* process = new QProcess(this);
    process->setProgram(opener_);
    process->setArguments({target.toString(QUrl::FullyEncoded)});
    // What it and the browser it starts print goes where ours goes.
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    process->setStandardInputFile(QProcess::nullDevice());

    auto pending = std::make_shared<Verdict>(std::move(verdict));
    const auto decide = [pending](bool opened) {
        if (const Verdict tell = std::exchange(*pending, nullptr))
            tell(opened);
    };
    auto* wait = new QTimer(process);
    wait->setSingleShot(true);
    connect(wait, &QTimer::timeout, process, [decide] { decide(true); });
    // "No method available", "action failed", a missing file: any exit but 0.
    connect(process, &QProcess::finished, process,
            [process, decide](int code, QProcess::ExitStatus status) {
                process->deleteLater();
                decide(status == QProcess::NormalExit && code == 0);
            });
    connect(process, &QProcess::errorOccurred, process,
            [process, decide](QProcess::ProcessError error) {
                if (error != QProcess::FailedToStart) // the others end in finished
                    return;
                process->deleteLater();
                decide(false);
            });
    wait->start(waitMs_);
    process->start();
}

void openLink(Launcher& launcher, MessageBoxes& messages, QWidget* owner, const QString& address,
              const QString& missingText)
{
    if (address.isEmpty())
        return;
    launcher.openWebPage(owner, QUrl(address),
                         [&messages, asker = QPointer<QWidget>(owner), missingText](bool opened) {
                             if (!opened)
                                 messages.warn(asker, missingText,
                                               QString::fromUtf8(kBrowserMissingTitle));
                         });
}

void mailTo(Launcher& launcher, MessageBoxes& messages, QWidget* owner, const QString& address)
{
    if (address.isEmpty())
        return;
    launcher.writeMail(owner, address, [&messages, asker = QPointer<QWidget>(owner)](bool opened) {
        if (!opened)
            messages.warn(asker, QString::fromUtf8(kMailMissingText),
                          QString::fromUtf8(kMailMissingTitle));
    });
}

} // namespace ui
