#include "AboutWindow.h"

#include "InfoLayout.h"
#include "ui/info/ProgramInfo.h"
#include "ui/common/LinkLabel.h"
#include "ui/common/Twips.h"

#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>

namespace ui {

using namespace info;

namespace {

constexpr int kWidthTwips = 7200;

const QString kHomepageMissing = QStringLiteral("「Internet Explorer」 が ｲﾝｽﾄｰﾙ されていません。");

bool isMailLink(int index)
{
    return index == 10 || index == 11;
}
bool isHomepageLink(int index)
{
    return index >= 12 && index <= 14;
}

// An address as a tooltip; none for an address this build has not set.
QString addressTip(const QString& address)
{
    return address.isEmpty() ? QString() : QLatin1Char(' ') + address + QLatin1Char(' ');
}

} // namespace

MakerInfo MakerInfo::configured()
{
    return {QString::fromUtf8(kMakerNotice), QString::fromUtf8(kMakerName),
            QString::fromUtf8(kMailAddress), QString::fromUtf8(kHomepage)};
}

AboutWindow::AboutWindow(UiServices& services, QWidget* parent, const MakerInfo& maker)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      services_(services), maker_(maker)
{
    setObjectName(QStringLiteral("INFO_VER"));
    setWindowTitle(QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
    paintGrey(this);
    setMouseTracking(true);
    createTexts();
}

void AboutWindow::run(UiServices& services, QWidget* parent)
{
    AboutWindow window(services, parent);
    window.move(centredOnScreen(services.screen, window.frameSize()));
    window.exec();
}

void AboutWindow::createTexts()
{
    const TwipsScale s(services_.screen.logicalDpiX(), services_.screen.logicalDpiY());
    const int width = s.x(kWidthTwips);
    const int big = s.x(120);
    const int small = s.x(90);

    addIcon(this, s.point(240, 240));
    QLabel* name = addShadowedText(this, 0, 1, QStringLiteral("vevoz"), minchoFont(48, true),
                                   kYellow, {}, big);
    moveShadowedText(name, {(width - name->width()) / 2, s.y(60)});
    const QRect nameArea = name->geometry();
    QLabel* kun = addShadowedText(this, 2, 3, QStringLiteral("君"), minchoFont(12, true), kYellow,
                                  {}, small);
    moveShadowedText(kun, {nameArea.right() + s.x(60), nameArea.bottom() - kun->height() - s.y(90)});

    QLabel* version = addShadowedText(this, 4, 5, QString::fromUtf8(kVersionText),
                                      romanFont(14.25), kPaleYellow, {}, small);
    moveShadowedText(version, {s.x(240), std::max(s.y(840), nameArea.bottom() - s.y(60))});
    QLabel* systems = addShadowedText(this, 19, 18, QStringLiteral("for    Windows 2000/XP/Vista"),
                                      romanFont(15.75), kYellow, {}, small);
    moveShadowedText(systems, {s.x(600), version->geometry().bottom() + s.y(60)});
    QLabel* notice = addShadowedText(this, 6, 7, maker_.notice,
                                     romanFont(15.75), kYellow, {}, small);
    moveShadowedText(notice, {s.x(600), systems->geometry().bottom() + s.y(60)});
    QLabel* maker = addShadowedText(this, 8, 9, maker_.name,
                                    minchoFont(12, true), kYellow, {}, small);
    moveShadowedText(maker, {notice->geometry().right() + s.x(150),
                             notice->geometry().bottom() - maker->height()});

    const int ruleY =
        std::max(notice->geometry().bottom(), maker->geometry().bottom()) + small + s.y(150);
    createLinks({s.x(240), ruleY + s.y(150)});
    int linksBottom = ruleY;
    for (int i = kFirstLink; i <= kLastLink; ++i)
        linksBottom = std::max(linksBottom, label(i)->geometry().bottom());

    // The frame in the lower right corner, the OK button above it.
    const QSize frameSize = s.size(2400, 720);
    auto* frame = new QFrame(this);
    frame->setObjectName(QStringLiteral("Frame1"));
    frame->setFrameShape(QFrame::Box);
    frame->setFrameShadow(QFrame::Sunken);
    ok_ = new QPushButton(QStringLiteral("OK"), this);
    ok_->setObjectName(QStringLiteral("Command1"));
    ok_->setToolTip(QStringLiteral(" OK "));
    ok_->setFixedSize(s.size(1200, 375));
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);

    const int height = std::max(linksBottom + s.y(240),
                                ruleY + s.y(150) + ok_->height() + s.y(120) + frameSize.height() +
                                    s.y(120));
    frame->setGeometry(QRect(QPoint(width - frameSize.width() - s.x(120),
                                    height - frameSize.height() - s.y(120)),
                             frameSize));
    ok_->move(width - ok_->width() - s.x(240), frame->y() - ok_->height() - s.y(120));
    QLabel* note = addText(frame, 15, QString(), minchoFont(9, false), kPaleYellow, {});
    note->setAlignment(Qt::AlignCenter);
    note->setGeometry(frame->contentsRect());

    // Along the top and left edges, the upper right and the lower left, and
    // the rule over the links.
    addLine(this, 0, {0, 0, width, 1});
    addLine(this, 1, {0, 0, 1, height});
    addLine(this, 2, {width - 1, 0, 1, ok_->y()});
    addLine(this, 3, {0, height - 1, frame->x(), 1});
    addLine(this, 4, {s.x(120), ruleY, width - 2 * s.x(120), 1});
    setFixedSize(width, height);
}

void AboutWindow::createLinks(QPoint topLeft)
{
    const QString& mail = maker_.mail;
    const QString& homepage = maker_.homepage;
    const auto [host, path] = splitAddress(homepage);
    const struct
    {
        QString text;
        QString address;
        int indent;
    } links[] = {
        {QStringLiteral("E-Mail Address："), mail, 0},
        {mail, mail, 24},
        {QStringLiteral("URL Address："), homepage, 0},
        {host, homepage, 24},
        {path, homepage, 24},
    };
    int y = topLeft.y();
    for (int i = 0; i < 5; ++i) {
        const int index = kFirstLink + i;
        auto* link = new LinkLabel(links[i].text, this);
        link->setObjectName(QStringLiteral("Label1_%1").arg(index));
        link->setProperty("index", index);
        // Without an address the heading is plain text, not a link.
        const bool live = !links[i].address.isEmpty();
        QFont font = minchoFont(11.25, false);
        font.setUnderline(live);
        link->setFont(font);
        link->setTextColour(kPaleGreen);
        link->setToolTip(addressTip(links[i].address));
        if (!live)
            link->unsetCursor();
        link->adjustSize();
        link->move(topLeft.x() + links[i].indent, y);
        if (!links[i].text.isEmpty())
            y += link->height() + 2;
        connect(link, &LinkLabel::pointerMoved, this, [this, index] { pointerOverLabel(index); });
        connect(link, &LinkLabel::clicked, this, [this, index] { clickLabel(index); });
    }
}

QLabel* AboutWindow::label(int index) const
{
    return findChild<QLabel*>(QStringLiteral("Label1_%1").arg(index));
}

void AboutWindow::colourLinks(const QColor& mail, const QColor& homepage)
{
    for (int i = kFirstLink; i <= kLastLink; ++i)
        setTextColour(label(i), isMailLink(i) ? mail : homepage);
}

void AboutWindow::pointerOverLabel(int index)
{
    if (!isLive(index))
        return;
    if (isMailLink(index))
        colourLinks(kGreen, kPaleGreen);
    else if (isHomepageLink(index))
        colourLinks(kPaleGreen, kGreen);
}

void AboutWindow::pointerOverBackground()
{
    colourLinks(kPaleGreen, kPaleGreen);
}

void AboutWindow::clickLabel(int index)
{
    if (isMailLink(index))
        mailTo(services_.launcher, services_.messages, this, maker_.mail);
    else if (isHomepageLink(index))
        openLink(services_.launcher, services_.messages, this, maker_.homepage, kHomepageMissing);
}

bool AboutWindow::isLive(int index) const
{
    if (isMailLink(index))
        return !maker_.mail.isEmpty();
    return isHomepageLink(index) && !maker_.homepage.isEmpty();
}

// No cancel button here either: Escape leaves the window open, as in the
// program's other dialogs.
void AboutWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

// Only the background's own moves arrive here: the texts, the frame and the
// button do not track the pointer, and the links keep theirs.
void AboutWindow::mouseMoveEvent(QMouseEvent* event)
{
    pointerOverBackground();
    QDialog::mouseMoveEvent(event);
}

} // namespace ui
