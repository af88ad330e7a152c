#include "SplashWindow.h"

#include <QEventLoop>

#include "InfoLayout.h"
#include "ui/info/ProgramInfo.h"
#include "ui/common/Clock.h"
#include "ui/common/Screen.h"
#include "ui/common/Twips.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <qdrawutil.h>

namespace ui {

using namespace info;

namespace {

constexpr int kWidthTwips = 9600;

} // namespace

SplashWindow::SplashWindow(Clock& clock, const Screen& screen, QWidget* parent)
    : QDialog(parent, Qt::SplashScreen | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("INITDISP"));
    paintGrey(this);
    const TwipsScale scale(screen.logicalDpiX(), screen.logicalDpiY());
    createTexts(scale);
    move(centredOnScreen(screen, size()));
    clock.singleShot(kShowMs, this, [this] { timeUp(); });
}

void SplashWindow::createTexts(const TwipsScale& s)
{
    const int width = s.x(kWidthTwips);
    const int edge = s.x(60);
    addIcon(this, s.point(240, 240));
    const int left = s.x(2400);
    const int shadow = s.x(150);
    QLabel* name = addShadowedText(this, 0, 1, QStringLiteral("vevoz"), minchoFont(72, true),
                                   kYellow, {left, s.y(60)}, shadow);
    const QRect nameArea = name->geometry();
    // "君" sits at the name's lower right.
    QLabel* kun = addShadowedText(this, 2, 3, QStringLiteral("君"), minchoFont(20.25, true),
                                  kYellow, {}, shadow);
    moveShadowedText(kun, {nameArea.right() + s.x(60), nameArea.bottom() - kun->height() - s.y(120)});

    addShadowedText(this, 4, 6, QString::fromUtf8(kVersionText), romanFont(18), kPaleYellow,
                    s.point(240, 900), s.x(120));
    QLabel* systems =
        addShadowedText(this, 15, 14, QStringLiteral("for      Windows 2000/XP/Vista"),
                        romanFont(20.25), kYellow, {s.x(1200), nameArea.bottom() + shadow / 2}, shadow);
    QLabel* notice =
        addShadowedText(this, 5, 7, QString::fromUtf8(kMakerNotice), romanFont(20.25), kYellow,
                        {s.x(1200), systems->geometry().bottom() + shadow + s.y(90)}, shadow);
    // The maker's name follows the notice on its line.
    QLabel* maker = addShadowedText(this, 8, 9, QString::fromUtf8(kMakerName),
                                    minchoFont(18, true), kYellow, {}, shadow);
    moveShadowedText(maker, {notice->geometry().right() + s.x(180),
                             notice->geometry().bottom() - maker->height()});

    const int ruleY =
        std::max(notice->geometry().bottom(), maker->geometry().bottom()) + shadow + s.y(180);
    QLabel* bottom = addText(this, 10, QString(), gothicFont(11.25), kPaleYellow, {});
    bottom->setAlignment(Qt::AlignCenter);
    bottom->setGeometry(edge, ruleY + s.y(90), width - 2 * edge, bottom->height());
    const int height = bottom->geometry().bottom() + s.y(180);

    // The frame just inside the edges, and the rule above the bottom text.
    addLine(this, 0, {edge, edge, width - 2 * edge, 1});
    addLine(this, 1, {edge, edge, 1, height - 2 * edge});
    addLine(this, 2, {width - edge - 1, edge, 1, height - 2 * edge});
    addLine(this, 3, {edge, height - edge - 1, width - 2 * edge, 1});
    addLine(this, 4, {edge, ruleY, width - 2 * edge, 1});
    setFixedSize(width, height);
}

// A window without a caption still has its fixed frame: raised, two pixels,
// drawn here since no window manager draws one round a splash.
void SplashWindow::paintEvent(QPaintEvent* event)
{
    QDialog::paintEvent(event);
    QPalette edge = palette();
    edge.setColor(QPalette::Light, kFrameLight);
    edge.setColor(QPalette::Midlight, kFrameMidlight);
    edge.setColor(QPalette::Dark, kFrameDark);
    edge.setColor(QPalette::Shadow, kFrameShadow);
    QPainter painter(this);
    qDrawWinPanel(&painter, rect(), edge, false);
}

int SplashWindow::exec()
{
    // A loop of its own rather than QDialog's: on a slow start the time may
    // run out while the window is being shown, before any loop waits, and
    // nothing would then end that loop.
    if (!timeUp_) {
        setWindowModality(Qt::ApplicationModal);
        show();
        if (!timeUp_) {
            QEventLoop loop;
            loop_ = &loop;
            loop.exec(QEventLoop::DialogExec);
            loop_ = nullptr;
        }
    }
    hide();
    setResult(Accepted);
    return Accepted;
}

void SplashWindow::timeUp()
{
    timeUp_ = true;
    if (loop_)
        loop_->quit();
}

// Esc and the like: the splash goes only when its time is up.
void SplashWindow::keyPressEvent(QKeyEvent* event)
{
    event->accept();
}

void SplashWindow::closeEvent(QCloseEvent* event)
{
    event->setAccepted(timeUp_);
}

} // namespace ui
