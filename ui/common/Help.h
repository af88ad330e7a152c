#pragma once
// Help in its three forms over the program's HTML pages. Windows ask through
// this interface; tests record what was asked.

#include "HelpWindow.h"

#include <QPointer>
#include <QUrl>

class QWidget;

namespace ui {

// Context numbers of the dialogs' Help buttons.
inline constexpr int kHelpFileCopy = 10019;
inline constexpr int kHelpFileRename = 10020;
inline constexpr int kHelpRegionDialog = 10021;
inline constexpr int kHelpSettingsFirstTab = 10025;
inline constexpr int kHelpSettingsSecondTab = 10026;

class Help
{
public:
    virtual ~Help() = default;
    virtual void showIndex(QWidget* owner) = 0;    // the keyword index
    virtual void showContents(QWidget* owner) = 0; // the table of contents
    virtual void showContext(QWidget* owner, int contextNumber) = 0;
};

QUrl helpIndexUrl();
QUrl helpContentsUrl();
QUrl helpContextUrl(int contextNumber);

// One help window for the program, not modal. It is owned by the window that
// last asked, so it stays usable over a modal dialog and goes with its owner.
class HelpViewer : public Help
{
public:
    ~HelpViewer() override;
    void showIndex(QWidget* owner) override;
    void showContents(QWidget* owner) override;
    void showContext(QWidget* owner, int contextNumber) override;

    HelpWindow* window() const { return window_; }

private:
    void show(QWidget* owner, const QUrl& url);
    QPointer<HelpWindow> window_;
};

} // namespace ui
