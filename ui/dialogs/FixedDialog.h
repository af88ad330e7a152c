#pragma once
// What the program's small dialogs share: a fixed border without minimise
// and maximise, the grey background, centred on the screen, and a row of
// buttons Command1(0) ... with their captions as tooltips. None of them is a
// default (Enter) or cancel (Escape) button; Enter presses the focused one.

#include <QColor>
#include <QDialog>
#include <QList>

class QHBoxLayout;
class QPushButton;

namespace ui {

class Screen;

inline const QColor kDialogGrey(128, 128, 128);
inline const QColor kYellow(255, 255, 0);
inline const QColor kLightYellow(255, 255, 128);
inline const QColor kDarkGrey(64, 64, 64);

// " OK ": a control's tooltip is its caption framed by half-width blanks.
QString framedTip(const QString& caption);

// Text colour (and background, where valid) of one control.
void setColours(QWidget* widget, const QColor& text, const QColor& background = QColor());

class FixedDialog : public QDialog
{
    Q_OBJECT
public:
    QPushButton* button(int index) const { return buttons_.value(index); }

signals:
    void commandClicked(int index);

protected:
    FixedDialog(const QString& objectName, const QString& caption, const Screen& screen,
                QWidget* parent);
    // The buttons from left to right, each reporting its index.
    QHBoxLayout* createButtons(const QStringList& captions);
    // Fixes the size to the laid-out one and centres the window on the screen.
    void fixSizeAndCentre();

    void keyPressEvent(QKeyEvent* event) override;
    void done(int result) override;

private:
    const Screen& screen_;
    QList<QPushButton*> buttons_;
};

} // namespace ui
