#pragma once
// The main window's status bar: three sunken panels of fixed width (hint,
// date, time).

#include "ui/common/Twips.h"

#include <QWidget>
#include <array>

class QLabel;

namespace ui {

class StatusBar : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kPanelCount = 3;
    static constexpr std::array<int, kPanelCount> kPanelWidthsTwips = {9660, 1100, 1100};
    static constexpr int kHeightTwips = 330;

    StatusBar(const TwipsScale& scale, QWidget* parent);

    // Panel 1-3, as the program counts them.
    void setPanelText(int panel, const QString& text);
    QString panelText(int panel) const;
    QLabel* panel(int panel) const;

    // Which list is loaded: shown in panel 1, greyed, while it has no hint.
    void setListText(const QString& text);
    QLabel* listLabel() const { return list_; }

signals:
    void doubleClicked();

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    std::array<QLabel*, kPanelCount> panels_{};
    QLabel* list_ = nullptr;
};

} // namespace ui
