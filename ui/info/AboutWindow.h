#pragma once
// The about window INFO_VER "ﾊﾞｰｼﾞｮﾝ情報": name, version, systems and maker,
// and the mail and homepage links. A link under the pointer turns green, the
// other pale green; only the window's background takes both back.

#include "ui/common/UiServices.h"

#include <QDialog>

class QLabel;
class QPushButton;

namespace ui {

class LinkLabel;

// The maker's texts and addresses the window shows.
struct MakerInfo
{
    QString notice;
    QString name;
    QString mail;     // empty: the mail link does nothing
    QString homepage; // empty: the homepage link does nothing

    static MakerInfo configured(); // as this build was configured
};

class AboutWindow : public QDialog
{
    Q_OBJECT
public:
    static constexpr int kFirstLink = 10; // Label1(10) ... Label1(14)
    static constexpr int kLastLink = 14;

    AboutWindow(UiServices& services, QWidget* parent,
                const MakerInfo& maker = MakerInfo::configured());

    // Opens the window modally over `parent`; returns once it closed.
    static void run(UiServices& services, QWidget* parent);

    QLabel* label(int index) const;
    QPushButton* okButton() const { return ok_; }

public slots:
    // Label1_MouseMove: the pointer is over Label1(index).
    void pointerOverLabel(int index);
    // Form_MouseMove: the pointer is over the window's background.
    void pointerOverBackground();
    void clickLabel(int index);

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // Whether Label1(index) belongs to a link with an address.
    bool isLive(int index) const;
    void createTexts();
    void createLinks(QPoint topLeft);
    void colourLinks(const QColor& mail, const QColor& homepage);

    UiServices& services_;
    MakerInfo maker_;
    QPushButton* ok_ = nullptr;
};

} // namespace ui
