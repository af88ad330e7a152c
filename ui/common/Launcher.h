#pragma once
// Web pages and mail through the desktop's own handlers, behind an interface
// so tests can answer for the desktop and read what was asked.

#include <QString>
#include <QUrl>

class QWidget;

namespace ui {

class MessageBoxes;

class Launcher
{
public:
    virtual ~Launcher() = default;
    // The default web browser, leaving the focus here where the desktop
    // allows; false when no browser took the page.
    virtual bool openWebPage(QWidget* owner, const QUrl& page) = 0;
    // A new message to `address` in the default mail program; false when
    // none took it.
    virtual bool writeMail(QWidget* owner, const QString& address) = 0;
};

class DesktopLauncher : public Launcher
{
public:
    bool openWebPage(QWidget* owner, const QUrl& page) override;
    bool writeMail(QWidget* owner, const QString& address) override;
};

// What each link says when the desktop has no program for it.
inline constexpr const char* kBrowserMissingTitle = "IE ｲﾝｽﾄｰﾙ 確認";
inline constexpr const char* kMailMissingTitle = "OE ｲﾝｽﾄｰﾙ 確認";
inline constexpr const char* kMailMissingText = "「Outlook Express」 が ｲﾝｽﾄｰﾙ されていません。";

// Opens `address` in the browser, or warns with `missingText`. An empty
// address is a link not set up for this build: nothing happens.
void openLink(Launcher& launcher, MessageBoxes& messages, QWidget* owner, const QString& address,
              const QString& missingText);
// Writes to `address`, or warns that there is no mail program; nothing for
// an empty address.
void mailTo(Launcher& launcher, MessageBoxes& messages, QWidget* owner, const QString& address);

} // namespace ui
