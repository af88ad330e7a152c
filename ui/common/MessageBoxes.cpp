#include "MessageBoxes.h"

#include <QMessageBox>
#include <QPushButton>

namespace ui {

QString toDisplayLines(const QString& text)
{
    QString lines = text;
    lines.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    lines.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return lines;
}

namespace {

QMessageBox::Icon boxIcon(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Warning:
        return QMessageBox::Warning;
    case MessageIcon::Question:
        return QMessageBox::Question;
    case MessageIcon::Critical:
        return QMessageBox::Critical;
    }
    return QMessageBox::NoIcon;
}

} // namespace

MessageAnswer QtMessageBoxes::show(QWidget* parent, const MessageRequest& request)
{
    QMessageBox box(parent);
    box.setObjectName(QStringLiteral("MessageBox"));
    box.setIcon(boxIcon(request.icon));
    box.setWindowTitle(request.title);
    // Plain text: a file name with "<" must not turn the message into markup.
    box.setTextFormat(Qt::PlainText);
    box.setText(toDisplayLines(request.text));

    const bool yesNo = request.buttons == MessageButtons::YesNo;
    QPushButton* ok = box.addButton(yesNo ? QStringLiteral("はい") : QStringLiteral("OK"),
                                    QMessageBox::AcceptRole);
    QPushButton* cancel = nullptr;
    if (request.buttons != MessageButtons::Ok) {
        cancel = box.addButton(yesNo ? QStringLiteral("いいえ") : QStringLiteral("キャンセル"),
                               QMessageBox::RejectRole);
        box.setEscapeButton(cancel);
    } else {
        box.setEscapeButton(ok);
    }
    box.setDefaultButton(request.defaultButton == MessageAnswer::Cancel && cancel ? cancel : ok);

    box.exec();
    // A box dismissed some other way never counts as a yes.
    if (cancel && box.clickedButton() != ok)
        return MessageAnswer::Cancel;
    return MessageAnswer::Ok;
}

} // namespace ui
