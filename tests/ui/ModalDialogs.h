#pragma once
// Acts on each modal dialog once its exec() is running, and records which
// dialogs were shown. By default it closes them as the close box does; an action
// that leaves one open has it closed afterwards.

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <functional>

namespace testsupport {

class ModalDialogs : public QObject
{
public:
    explicit ModalDialogs(std::function<void(QDialog*)> act = [](QDialog* d) { d->close(); })
        : act_(std::move(act))
    {
        timer_.setInterval(0);
        connect(&timer_, &QTimer::timeout, this, &ModalDialogs::check);
        timer_.start();
    }

    QStringList shown; // objectNames, in order

private:
    void check()
    {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog || dialog == last_)
            return;
        last_ = dialog;
        shown << dialog->objectName();
        act_(dialog);
        // A failed check returns early from act_: close rather than hang.
        if (last_ && last_->isVisible())
            last_->reject();
    }

    std::function<void(QDialog*)> act_;
    QPointer<QDialog> last_;
    QTimer timer_;
};

} // namespace testsupport
