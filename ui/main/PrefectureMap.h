#pragma once
// The main window's grey background with the eight region frames laid out
// like a map of Japan and the 47 prefecture boxes inside them, built from the
// catalogue. Object names follow the controls: Frame1_2, Check1_12.

#include "ui/common/Twips.h"

#include <QWidget>
#include <array>

class QCheckBox;
class QGroupBox;

namespace ui {

class PrefectureMap : public QWidget
{
    Q_OBJECT
public:
    PrefectureMap(const TwipsScale& scale, QWidget* parent);

    QCheckBox* check(int index) const { return checks_.at(index); }
    QGroupBox* frame(int region) const { return frames_.at(region); }

signals:
    void checkMouseMoved(int index);
    void frameMouseMoved(int region);
    void backgroundMouseMoved();
    void backgroundDoubleClicked();
    void frameDoubleClicked(int region); // on its free area

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    TwipsScale scale_;
    std::array<QGroupBox*, postal::kRegionCount> frames_{};
    std::array<QCheckBox*, postal::kPrefectureCount> checks_{};
};

} // namespace ui
