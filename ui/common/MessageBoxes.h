#pragma once
// Modal message boxes in the program's style. Windows ask through this
// interface so tests can answer and read what was asked.

#include <QString>

class QWidget;

namespace ui {

enum class MessageIcon
{
    Information,
    Warning,
    Question,
    Critical
};
enum class MessageButtons
{
    Ok,
    OkCancel,
    YesNo // はい and いいえ, answered as Ok and Cancel
};
enum class MessageAnswer
{
    Ok,
    Cancel
};

struct MessageRequest
{
    QString text;
    QString title;
    MessageIcon icon = MessageIcon::Information;
    MessageButtons buttons = MessageButtons::Ok;
    MessageAnswer defaultButton = MessageAnswer::Ok;
};

class MessageBoxes
{
public:
    virtual ~MessageBoxes() = default;
    virtual MessageAnswer show(QWidget* parent, const MessageRequest& request) = 0;

    void inform(QWidget* parent, const QString& text, const QString& title)
    {
        show(parent,
             {text, title, MessageIcon::Information, MessageButtons::Ok, MessageAnswer::Ok});
    }
    void warn(QWidget* parent, const QString& text, const QString& title)
    {
        show(parent, {text, title, MessageIcon::Warning, MessageButtons::Ok, MessageAnswer::Ok});
    }
    bool confirm(QWidget* parent, const QString& text, const QString& title)
    {
        return show(parent, {text, title, MessageIcon::Question, MessageButtons::OkCancel,
                             MessageAnswer::Ok}) == MessageAnswer::Ok;
    }
    // はい (the default) or いいえ.
    bool ask(QWidget* parent, const QString& text, const QString& title)
    {
        return show(parent, {text, title, MessageIcon::Question, MessageButtons::YesNo,
                             MessageAnswer::Ok}) == MessageAnswer::Ok;
    }
};

// Line ends as the program's texts carry them (CR, CR LF) turned into the
// toolkit's "\n", so "a\r\rb" shows an empty line between a and b.
QString toDisplayLines(const QString& text);

// A run of text with nowhere to break a line (a long file name) gets a
// zero-width break opportunity between its characters, so a box or tooltip
// wraps it instead of cutting it off. Brackets keep to their neighbours.
QString wrappable(const QString& text);

// The real boxes: QMessageBox with buttons reading "OK" and "キャンセル"
// (or "はい(&Y)" and "いいえ(&N)") whatever the system's language. Long
// names wrap; text copied out of the box comes without the breaks added for
// that.
class QtMessageBoxes : public MessageBoxes
{
public:
    MessageAnswer show(QWidget* parent, const MessageRequest& request) override;
};

} // namespace ui
