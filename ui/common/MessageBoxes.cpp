#include "MessageBoxes.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTextBoundaryFinder>

namespace ui {

QString toDisplayLines(const QString& text)
{
    QString lines = text;
    lines.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    lines.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return lines;
}

namespace {

constexpr QChar kBreak(0x200B); // zero width space

// Longer than any word, shorter than a box's line.
constexpr qsizetype kLongRun = 24;

bool bracket(QChar c)
{
    const QChar::Category category = c.category();
    return category == QChar::Punctuation_Open || category == QChar::Punctuation_Close ||
           category == QChar::Punctuation_InitialQuote || category == QChar::Punctuation_FinalQuote;
}

} // namespace

QString wrappable(const QString& text)
{
    QString result;
    result.reserve(text.size());
    QTextBoundaryFinder lines(QTextBoundaryFinder::Line, text);
    qsizetype start = 0;
    for (qsizetype end = lines.toNextBoundary(); end > start; end = lines.toNextBoundary()) {
        const QString run = text.mid(start, end - start);
        start = end;
        if (run.size() <= kLongRun) {
            result += run;
            continue;
        }
        QTextBoundaryFinder characters(QTextBoundaryFinder::Grapheme, run);
        qsizetype from = 0;
        for (qsizetype to = characters.toNextBoundary(); to > from;
             to = characters.toNextBoundary()) {
            result += QStringView(run).mid(from, to - from);
            if (to < run.size() && !bracket(run[to - 1]) && !bracket(run[to]) && !run[to].isSpace())
                result += kBreak;
            from = to;
        }
    }
    return result;
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
    const QString lines = toDisplayLines(request.text);
    QMessageBox box(parent);
    box.setObjectName(QStringLiteral("MessageBox"));
    box.setIcon(boxIcon(request.icon));
    box.setWindowTitle(request.title);
    // Plain text: a file name with "<" must not turn the message into markup.
    box.setTextFormat(Qt::PlainText);
    box.setText(wrappable(lines));
    // What is copied out of the box is the text without the breaks added
    // here, so a name pasted elsewhere is the name.
    if (box.text() != lines && !lines.contains(kBreak)) {
        QClipboard* clipboard = QGuiApplication::clipboard();
        const QString shown = box.text();
        QObject::connect(clipboard, &QClipboard::changed, &box,
                         [clipboard, shown](QClipboard::Mode mode) {
                             QString copied = clipboard->text(mode);
                             if (copied.contains(kBreak) && shown.contains(copied))
                                 clipboard->setText(copied.remove(kBreak), mode);
                         });
    }

    // Access keys as the system's own question boxes have them: Alt+Y or Y,
    // Alt+N or N.
    const bool yesNo = request.buttons == MessageButtons::YesNo;
    QPushButton* ok = box.addButton(yesNo ? QStringLiteral("はい(&Y)") : QStringLiteral("OK"),
                                    QMessageBox::AcceptRole);
    QPushButton* cancel = nullptr;
    if (request.buttons != MessageButtons::Ok) {
        cancel = box.addButton(yesNo ? QStringLiteral("いいえ(&N)") : QStringLiteral("キャンセル"),
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
