#include "FixedDialog.h"

#include "DialogButton.h"
#include "ui/common/JapaneseFont.h"
#include "ui/common/Screen.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

namespace ui {

QString framedTip(const QString& caption)
{
    return QLatin1Char(' ') + caption + QLatin1Char(' ');
}

void setColours(QWidget* widget, const QColor& text, const QColor& background)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Text, text);
    if (background.isValid()) {
        palette.setColor(QPalette::Window, background);
        palette.setColor(QPalette::Base, background);
        widget->setAutoFillBackground(true);
    }
    widget->setPalette(palette);
}

FixedDialog::FixedDialog(const QString& objectName, const QString& caption, const Screen& screen,
                         QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      screen_(screen)
{
    setObjectName(objectName);
    setWindowTitle(caption);
    setFont(japaneseFont(QStringLiteral("MS UI Gothic"), 9));
    QPalette grey = palette();
    grey.setColor(QPalette::Window, kDialogGrey);
    setPalette(grey);
    setAutoFillBackground(true);
}

QHBoxLayout* FixedDialog::createButtons(const QStringList& captions)
{
    auto* row = new QHBoxLayout;
    row->addStretch();
    for (int i = 0; i < captions.size(); ++i) {
        auto* button = new DialogButton(captions[i], this);
        button->setObjectName(QStringLiteral("Command1_%1").arg(i));
        button->setToolTip(framedTip(captions[i]));
        button->setAutoDefault(false);
        button->setDefault(false);
        button->setMinimumWidth(button->fontMetrics().horizontalAdvance(QStringLiteral("キャンセル")) + 24);
        connect(button, &QPushButton::clicked, this, [this, i] { emit commandClicked(i); });
        row->addWidget(button);
        buttons_ << button;
    }
    row->addStretch();
    return row;
}

void FixedDialog::fixSizeAndCentre()
{
    adjustSize();
    setFixedSize(size());
    const QSize screen = screen_.sizePixels();
    move((screen.width() - width()) / 2, (screen.height() - height()) / 2);
}

void FixedDialog::keyPressEvent(QKeyEvent* event)
{
    // No cancel button: Escape leaves the dialog open.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void FixedDialog::done(int result)
{
    QDialog::done(result);
    // Closed straight after its own message box, the dialog leaves some window
    // managers with nothing active: hand the keyboard back to the main window.
    if (QWidget* owner = parentWidget())
        owner->window()->activateWindow();
}

} // namespace ui
