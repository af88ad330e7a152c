#include "SettingsDialog.h"

#include "DialogButton.h"
#include "FolderTab.h"
#include "OptionsTab.h"
#include "SettingsApply.h"
#include "TooltipText.h"
#include "ui/common/LinkLabel.h"
#include "ui/common/Twips.h"
#include "ui/info/ProgramInfo.h"
#include "ui/main/MainWindowSettings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTreeView>
#include <QVBoxLayout>

namespace ui {

namespace {

const char* const kButtonCaptions[] = {"OK", "キャンセル", "適用(&A)", "ヘルプ"};

const QString kBrowserMissing =
    QStringLiteral("「Internet Explorer」 が ｲﾝｽﾄｰﾙ されていません。　");

} // namespace

SettingsDialog::SettingsDialog(state::ProgramState& state, UiServices& services,
                               QWidget* mainWindow)
    : QDialog(mainWindow, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                              Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                              Qt::MSWindowsFixedSizeDialogHint),
      state_(state), services_(services), mainWindow_(mainWindow)
{
    setObjectName(QStringLiteral("SETTEI"));
    setWindowTitle(QStringLiteral("各種設定"));
    QPalette grey = palette();
    grey.setColor(QPalette::Window, QColor(128, 128, 128));
    setPalette(grey);
    setAutoFillBackground(true);

    const state::SettingCopies& copies = state_.settings().copies();
    tabs_ = new QTabWidget(this);
    tabs_->setObjectName(QStringLiteral("SSTab1"));
    options_ = new OptionsTab(optionChoices(copies), tabs_);
    folder_ = new FolderTab(openingFolder(copies, QDir::currentPath()), mountedDrives(),
                            services_.messages, tabs_);
    tabs_->addTab(options_, QStringLiteral("環境設定"));
    tabs_->addTab(folder_, QStringLiteral("ken_all.csv 保存先"));
    tabs_->setCurrentIndex(openingTab(copies));
    options_->setAutoFillBackground(true);
    folder_->setAutoFillBackground(true);

    // The tab control's own area, outside the controls on it, takes the
    // link's hover colour back.
    for (QWidget* area : {static_cast<QWidget*>(tabs_), static_cast<QWidget*>(tabs_->tabBar()),
                          static_cast<QWidget*>(options_), static_cast<QWidget*>(folder_)}) {
        area->setMouseTracking(true);
        area->installEventFilter(this);
    }
    connect(folder_->link(), &LinkLabel::pointerMoved, this,
            [this] { folder_->link()->setTextColour(QColor(0, 0, 255)); });
    connect(folder_->link(), &LinkLabel::clicked, this, &SettingsDialog::openPostalCodePage);

    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch();
    for (int i = 0; i < 4; ++i) {
        auto* button = new DialogButton(QString::fromUtf8(kButtonCaptions[i]), this);
        button->setObjectName(QStringLiteral("Command1_%1").arg(i));
        button->setProperty("index", i);
        button->setToolTip(tooltipText(button->text()));
        // No default button: Enter presses the focused one only.
        button->setAutoDefault(false);
        button->setDefault(false);
        button->setMinimumWidth(84);
        connect(button, &QPushButton::clicked, this, [this, i] { clickButton(i); });
        buttonRow->addWidget(button);
        buttons_[i] = button;
    }

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->setSpacing(10);
    layout->addWidget(tabs_, 1);
    layout->addLayout(buttonRow);

    QWidget* order[] = {options_->box(0),        options_->box(1), options_->box(2),
                        options_->box(3),        folder_->folderList(), folder_->driveList(),
                        buttons_[0],             buttons_[1],      buttons_[2],
                        buttons_[3]};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);

    const TwipsScale scale(services_.screen.logicalDpiX(), services_.screen.logicalDpiY());
    setFixedSize(scale.size(6600, 5400));
}

void SettingsDialog::run(state::ProgramState& state, UiServices& services, QWidget* mainWindow,
                         const std::function<void(QWidget*)>& folderChanged)
{
    SettingsDialog dialog(state, services, mainWindow);
    if (folderChanged)
        connect(&dialog, &SettingsDialog::folderNameChanged, &dialog, [&] { folderChanged(&dialog); });
    dialog.move(centredOnScreen(services.screen, dialog.frameSize()));
    dialog.exec();
}

void SettingsDialog::clickButton(int index)
{
    switch (index) {
    case 0:
        saveOptions();
        saveFolder();
        accept();
        break;
    case 1:
        reject();
        break;
    case 2:
        if (tabs_->currentIndex() == 0)
            saveOptions();
        else
            saveFolder();
        break;
    case 3:
        services_.help.showContext(this, tabs_->currentIndex() == 0 ? kHelpSettingsFirstTab
                                                                    : kHelpSettingsSecondTab);
        break;
    default:
        break;
    }
}

void SettingsDialog::openPostalCodePage()
{
    openLink(services_.launcher, services_.messages, this,
             QString::fromUtf8(info::kPostalCodePage), kBrowserMissing);
}

void SettingsDialog::saveOptions()
{
    const TwipsScale scale(services_.screen.logicalDpiX(), services_.screen.logicalDpiY());
    const QPoint at = mainWindow_ ? mainWindow_->pos() : QPoint();
    const Placement window{{scale.twipsX(at.x()), scale.twipsY(at.y())},
                           centredTwips(services_.screen)};
    const std::optional<QPointF> moveTo =
        ui::saveOptions(state_.settings(), options_->choices(), tabs_->currentIndex(), window);
    if (moveTo && mainWindow_)
        mainWindow_->move(scale.point(moveTo->x(), moveTo->y()));
}

void SettingsDialog::saveFolder()
{
    if (ui::saveFolder(state_.settings(), folder_->chosenFolder()))
        emit folderNameChanged();
}

bool SettingsDialog::eventFilter(QObject* watched, QEvent* event)
{
    // Moves over the controls on the tab stay with them: they do not track
    // the pointer, and the link keeps its own.
    if (event->type() == QEvent::MouseMove)
        folder_->link()->setTextColour(Qt::black);
    return QDialog::eventFilter(watched, event);
}

// No cancel button: Esc does not close the dialog.
void SettingsDialog::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace ui
