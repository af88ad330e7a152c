#include "PrefectureMap.h"

#include "RegionFrame.h"
#include "ui/common/JapaneseFont.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

namespace ui {

namespace {

const QColor kGrey(128, 128, 128);
constexpr int kCaptionIndentTwips = 90;

// The two white lines, in twips: from (x1, y1) to (x2, y2).
struct TwipsLine
{
    int x1, y1, x2, y2;
};
constexpr std::array<TwipsLine, 2> kLines = {{{150, 2340, 2610, 2340}, {2600, 500, 2600, 2340}}};

QColor toColor(postal::Rgb rgb)
{
    return QColor(rgb.r, rgb.g, rgb.b);
}

} // namespace

PrefectureMap::PrefectureMap(const TwipsScale& scale, QWidget* parent)
    : QWidget(parent), scale_(scale)
{
    setObjectName(QStringLiteral("DOZUZEZO_Background"));
    setAutoFillBackground(true);
    QPalette grey = palette();
    grey.setColor(QPalette::Window, kGrey);
    setPalette(grey);
    setMouseTracking(true);

    const QFont font = japaneseFont(QStringLiteral("ＭＳ Ｐゴシック"), 9.75);
    setFont(font);
    // A box is 195 twips high; it grows downwards where the face needs more
    // room, which the 330-twip row spacing leaves.
    const int boxHeight =
        std::max(scale.y(postal::Prefecture::height), QFontMetrics(font).height());

    // Created region by region, each frame just before its own boxes: that is
    // the keyboard order too.
    for (int r = 0; r < postal::kRegionCount; ++r) {
        const postal::Region& region = postal::kRegions[r];
        auto* frame = new RegionFrame(QString::fromStdString(postal::regionCaption(r)),
                                      scale.x(kCaptionIndentTwips), this);
        frame->setObjectName(QStringLiteral("Frame1_%1").arg(r));
        frame->setProperty("index", r);
        frame->setToolTip(frame->title());
        frame->setGeometry(scale.rect(region.frame));
        // The caption and the boxes' names in the region's colour; the boxes
        // take it, and the font, from their frame.
        QPalette framePalette = grey;
        framePalette.setColor(QPalette::WindowText, toColor(region.colour));
        framePalette.setColor(QPalette::Text, Qt::black); // the tick mark on its white square
        framePalette.setColor(QPalette::Base, Qt::white);
        frame->setPalette(framePalette);
        frame->setMouseTracking(true);
        frame->installEventFilter(this);
        frames_[r] = frame;

        for (int i = region.first; i <= region.last; ++i) {
            const postal::Prefecture& prefecture = postal::kPrefectures[i];
            auto* box = new QCheckBox(
                QString::fromUtf8(prefecture.name.data(), qsizetype(prefecture.name.size())),
                frame);
            box->setObjectName(QStringLiteral("Check1_%1").arg(i));
            box->setProperty("index", i);
            box->setToolTip(QString::fromStdString(postal::prefectureTooltip(i)));
            box->setGeometry(scale.x(prefecture.left), scale.y(prefecture.top),
                             scale.x(prefecture.width), boxHeight);
            box->setMouseTracking(true);
            box->installEventFilter(this);
            checks_[i] = box;
        }
    }
}

bool PrefectureMap::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::MouseMove && event->type() != QEvent::MouseButtonDblClick)
        return QWidget::eventFilter(watched, event);
    const int index = watched->property("index").toInt();
    if (qobject_cast<QCheckBox*>(watched)) {
        if (event->type() == QEvent::MouseMove)
            emit checkMouseMoved(index);
    } else if (auto* frame = qobject_cast<QGroupBox*>(watched)) {
        // A move that a box passed on to its frame is not over the free area.
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const bool overBox = frame->childAt(mouse->position().toPoint()) != nullptr;
        if (event->type() == QEvent::MouseMove && !overBox)
            emit frameMouseMoved(index);
        else if (event->type() == QEvent::MouseButtonDblClick && !overBox &&
                 mouse->button() == Qt::LeftButton)
            emit frameDoubleClicked(index);
    }
    return QWidget::eventFilter(watched, event);
}

void PrefectureMap::mouseMoveEvent(QMouseEvent* event)
{
    if (!childAt(event->position().toPoint()))
        emit backgroundMouseMoved();
}

void PrefectureMap::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && !childAt(event->position().toPoint()))
        emit backgroundDoubleClicked();
}

void PrefectureMap::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setPen(QPen(Qt::white, 1));
    for (const TwipsLine& line : kLines)
        painter.drawLine(scale_.x(line.x1), scale_.y(line.y1), scale_.x(line.x2),
                         scale_.y(line.y2));
}

} // namespace ui
