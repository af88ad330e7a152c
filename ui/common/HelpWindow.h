#pragma once
// The window that shows the help pages: a browser with back and forward.

#include <QWidget>

class QTextBrowser;
class QUrl;

namespace ui {

class HelpWindow : public QWidget
{
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* owner = nullptr);
    void open(const QUrl& url);
    QUrl currentUrl() const;

private:
    void updateTitle();
    QTextBrowser* browser_;
};

} // namespace ui
