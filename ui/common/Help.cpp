#include "Help.h"

#include "HelpWindow.h"

namespace ui {

QUrl helpIndexUrl()
{
    return QUrl(QStringLiteral("qrc:/help/keywords.html"));
}
QUrl helpContentsUrl()
{
    return QUrl(QStringLiteral("qrc:/help/index.html"));
}
QUrl helpContextUrl(int contextNumber)
{
    return QUrl(QStringLiteral("qrc:/help/%1.html").arg(contextNumber));
}

HelpViewer::~HelpViewer()
{
    delete window_;
}

void HelpViewer::showIndex(QWidget* owner)
{
    show(owner, helpIndexUrl());
}
void HelpViewer::showContents(QWidget* owner)
{
    show(owner, helpContentsUrl());
}
void HelpViewer::showContext(QWidget* owner, int contextNumber)
{
    show(owner, helpContextUrl(contextNumber));
}

void HelpViewer::show(QWidget* owner, const QUrl& url)
{
    QWidget* top = owner ? owner->window() : nullptr;
    if (!window_) {
        window_ = new HelpWindow(top);
    } else if (window_->parentWidget() != top) {
        // A window under a modal dialog would not take input: follow the asker.
        const QRect where = window_->geometry();
        window_->setParent(top, Qt::Window);
        window_->setGeometry(where);
    }
    window_->open(url);
    window_->show();
    window_->raise();
    window_->activateWindow();
}

} // namespace ui
