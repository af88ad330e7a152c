#pragma once
// Web pages and mail through the desktop's own handlers, behind an interface
// so tests can answer for the desktop and read what was asked.

#include <QObject>
#include <QString>
#include <QUrl>
#include <functional>

class QWidget;

namespace ui {

class MessageBoxes;

class Launcher
{
public:
    // Called once, maybe later: whether a program took the address.
    using Verdict = std::function<void(bool opened)>;

    virtual ~Launcher() = default;
    // The default web browser, leaving the focus here where the desktop
    // allows.
    virtual void openWebPage(QWidget* owner, const QUrl& page, Verdict verdict) = 0;
    // A new message to `address` in the default mail program.
    virtual void writeMail(QWidget* owner, const QString& address, Verdict verdict) = 0;
};

// On Windows the shell opens the address. Elsewhere `opener` (the desktop's
// xdg-open) runs with it, and its exit status is the verdict; one still
// running after `waitMs` counts as having opened it (a browser it started
// in the foreground) and is left to run. The window never waits for it.
class DesktopLauncher : public QObject, public Launcher
{
public:
    explicit DesktopLauncher(QString opener = QStringLiteral("xdg-open"), int waitMs = 3000);
    ~DesktopLauncher() override;

    void openWebPage(QWidget* owner, const QUrl& page, Verdict verdict) override;
    void writeMail(QWidget* owner, const QString& address, Verdict verdict) override;

private:
    void runOpener(const QUrl& target, Verdict verdict);

    QString opener_;
    int waitMs_;
};

// What each link says when the desktop has no program for it.
inline constexpr const char* kBrowserMissingTitle = "IE ｲﾝｽﾄｰﾙ 確認";
inline constexpr const char* kMailMissingTitle = "OE ｲﾝｽﾄｰﾙ 確認";
inline constexpr const char* kMailMissingText = "「Outlook Express」 が ｲﾝｽﾄｰﾙ されていません。";

// Opens `address` in the browser, or warns with `missingText` once the
// desktop says nothing took it. An empty address is a link not set up for
// this build: nothing happens.
void openLink(Launcher& launcher, MessageBoxes& messages, QWidget* owner, const QString& address,
              const QString& missingText);
// Writes to `address`, or warns that there is no mail program; nothing for
// an empty address.
void mailTo(Launcher& launcher, MessageBoxes& messages, QWidget* owner, const QString& address);

} // namespace ui
