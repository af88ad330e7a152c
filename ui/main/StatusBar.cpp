#include "StatusBar.h"

#include "ui/common/JapaneseFont.h"

#include <QLabel>
#include <QMouseEvent>

namespace ui {

StatusBar::StatusBar(const TwipsScale& scale, QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("StatusBar1"));
    setAutoFillBackground(true);
    setFont(japaneseFont(QStringLiteral("ＭＳ ゴシック"), 9));
    const int height = scale.y(kHeightTwips);
    int x = 0;
    for (int i = 0; i < kPanelCount; ++i) {
        auto* label = new QLabel(this);
        label->setObjectName(QStringLiteral("StatusBar1_Panel%1").arg(i + 1));
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        label->setIndent(3);
        const int width = scale.x(kPanelWidthsTwips[i]);
        label->setGeometry(x + 1, 2, width - 2, height - 3);
        // Double-clicks on a panel count as on the bar.
        label->setAttribute(Qt::WA_TransparentForMouseEvents);
        panels_[i] = label;
        x += width;
    }
    resize(x, height);

    list_ = new QLabel(panels_[0]);
    list_->setObjectName(QStringLiteral("StatusBar1_List"));
    list_->setIndent(3);
    list_->setGeometry(panels_[0]->contentsRect());
    list_->setForegroundRole(QPalette::PlaceholderText);
    list_->setAttribute(Qt::WA_TransparentForMouseEvents);
}

void StatusBar::setPanelText(int panelNumber, const QString& text)
{
    panel(panelNumber)->setText(text);
    if (panelNumber == 1)
        list_->setVisible(text.isEmpty());
}

void StatusBar::setListText(const QString& text)
{
    // A long path gives way in its middle: the count at the end stays, and
    // the whole text is the label's tooltip.
    const int room = list_->contentsRect().width() - 2 * list_->indent();
    const QString shown = list_->fontMetrics().elidedText(text, Qt::ElideMiddle, room);
    list_->setText(shown);
    list_->setToolTip(shown == text ? QString() : text);
}

QString StatusBar::panelText(int panelNumber) const
{
    return panel(panelNumber)->text();
}

QLabel* StatusBar::panel(int panelNumber) const
{
    return panels_.at(panelNumber - 1);
}

void StatusBar::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        emit doubleClicked();
}

} // namespace ui
