#pragma once
// A text that works as a link: underlined, with the hand pointer. It tells
// when the pointer moves over it and when it is clicked; the window decides
// the colours and what a click does.

#include <QLabel>

namespace ui {

class LinkLabel : public QLabel
{
    Q_OBJECT
public:
    explicit LinkLabel(const QString& text, QWidget* parent = nullptr);

    QColor textColour() const;
    void setTextColour(const QColor& colour);

signals:
    void pointerMoved();
    void clicked();

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool pressed_ = false;
};

} // namespace ui
