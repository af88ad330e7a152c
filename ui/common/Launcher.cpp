#include "Launcher.h"

#include "MessageBoxes.h"

#include <QDesktopServices>
#include <QWidget>

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

bool DesktopLauncher::openWebPage(QWidget* owner, const QUrl& page)
{
#ifdef Q_OS_WIN
    return shellOpen(owner, page, SW_SHOWNOACTIVATE);
#else
    Q_UNUSED(owner);
    return QDesktopServices::openUrl(page);
#endif
}

bool DesktopLauncher::writeMail(QWidget* owner, const QString& address)
{
#ifdef Q_OS_WIN
    return shellOpen(owner, mailUrl(address), SW_SHOWNORMAL);
#else
    Q_UNUSED(owner);
    return QDesktopServices::openUrl(mailUrl(address));
#endif
}

void openLink(Launcher& launcher, MessageBoxes& messages, QWidget* owner, const QString& address,
              const QString& missingText)
{
    if (address.isEmpty())
        return;
    if (!launcher.openWebPage(owner, QUrl(address)))
        messages.warn(owner, missingText, QString::fromUtf8(kBrowserMissingTitle));
}

void mailTo(Launcher& launcher, MessageBoxes& messages, QWidget* owner, const QString& address)
{
    if (address.isEmpty())
        return;
    if (!launcher.writeMail(owner, address))
        messages.warn(owner, QString::fromUtf8(kMailMissingText),
                      QString::fromUtf8(kMailMissingTitle));
}

} // namespace ui
