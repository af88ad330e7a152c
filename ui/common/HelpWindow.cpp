#include "HelpWindow.h"

#include "JapaneseFont.h"

#include <QTextBrowser>
#include <QToolBar>
#include <QVBoxLayout>

namespace ui {

HelpWindow::HelpWindow(QWidget* owner)
    : QWidget(owner, Qt::Window), browser_(new QTextBrowser(this))
{
    setObjectName(QStringLiteral("HelpWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(640, 520);

    auto* bar = new QToolBar(this);
    QAction* back = bar->addAction(QStringLiteral("戻る"), browser_, &QTextBrowser::backward);
    QAction* forward = bar->addAction(QStringLiteral("進む"), browser_, &QTextBrowser::forward);
    bar->addAction(QStringLiteral("目次"), browser_, &QTextBrowser::home);
    back->setEnabled(false);
    forward->setEnabled(false);
    connect(browser_, &QTextBrowser::backwardAvailable, back, &QAction::setEnabled);
    connect(browser_, &QTextBrowser::forwardAvailable, forward, &QAction::setEnabled);

    browser_->setObjectName(QStringLiteral("HelpBrowser"));
    browser_->setOpenExternalLinks(true);
    browser_->setFont(japaneseFont(QStringLiteral("ＭＳ Ｐゴシック"), 10.5));
    connect(browser_, &QTextBrowser::sourceChanged, this, &HelpWindow::updateTitle);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(bar);
    layout->addWidget(browser_);
}

void HelpWindow::open(const QUrl& url)
{
    browser_->setSource(url);
    updateTitle();
}

QUrl HelpWindow::currentUrl() const
{
    return browser_->source();
}

void HelpWindow::updateTitle()
{
    const QString page = browser_->documentTitle();
    setWindowTitle(page.isEmpty() ? QStringLiteral("vevoz君 ヘルプ")
                                  : page + QStringLiteral(" - vevoz君 ヘルプ"));
}

} // namespace ui
