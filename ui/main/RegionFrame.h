#pragma once
// A region frame drawn the classic way: an etched border, light over dark,
// with the caption sitting on its top line near the left. The caption's
// text colour is the palette's WindowText.

#include <QGroupBox>

namespace ui {

class RegionFrame : public QGroupBox
{
public:
    // captionIndent: from the frame's left edge to the caption, in pixels.
    RegionFrame(const QString& title, int captionIndent, QWidget* parent);

    // Where the caption is drawn; the top line runs through its middle.
    QRect captionRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int captionIndent_;
};

} // namespace ui
