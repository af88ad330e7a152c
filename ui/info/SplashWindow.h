#pragma once
// The splash INITDISP: the program's name, version and systems on grey, for
// two seconds at start. It closes itself; clicks and keys do nothing.

#include <QColor>
#include <QDialog>

class QEventLoop;

namespace ui {

class Clock;
class TwipsScale;
class Screen;

class SplashWindow : public QDialog
{
    Q_OBJECT
public:
    static constexpr int kShowMs = 2000;
    // The frame's outer and inner edges, top-left then bottom-right.
    static inline const QColor kFrameLight{255, 255, 255};
    static inline const QColor kFrameMidlight{192, 192, 192};
    static inline const QColor kFrameDark{64, 64, 64};
    static inline const QColor kFrameShadow{0, 0, 0};

    // The two seconds count from here.
    SplashWindow(Clock& clock, const Screen& screen, QWidget* parent = nullptr);

    // Shows the splash modally; returns once it has closed itself.
    int exec() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void timeUp();
    void createTexts(const TwipsScale& scale);

    bool timeUp_ = false;
    QEventLoop* loop_ = nullptr; // while exec() waits
};

} // namespace ui
