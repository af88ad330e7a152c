#pragma once
// A dialog's push button that Enter presses while it has the focus, as on
// the program's home platform; with no default button, Enter elsewhere in
// the dialog does nothing.

#include <QKeyEvent>
#include <QPushButton>

namespace ui {

class DialogButton : public QPushButton
{
public:
    using QPushButton::QPushButton;

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
            click();
            return;
        }
        QPushButton::keyPressEvent(event);
    }
};

} // namespace ui
