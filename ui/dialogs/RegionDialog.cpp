#include "RegionDialog.h"

#include "ui/common/Help.h"
#include "ui/common/UiServices.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace ui {

RegionBoxes fullyTickedRegions(const Ticks& ticks)
{
    RegionBoxes regions{};
    for (int r = 0; r < postal::kRegionCount; ++r) {
        const postal::Region& region = postal::kRegions[r];
        int ticked = 0;
        for (int i = region.first; i <= region.last; ++i)
            ticked += ticks[i] ? 1 : 0;
        regions[r] = ticked == region.count();
    }
    return regions;
}

void applyRegions(const RegionBoxes& regions, const std::function<void(int, bool)>& setTick)
{
    for (int r = 0; r < postal::kRegionCount; ++r) {
        for (int i = postal::kRegions[r].first; i <= postal::kRegions[r].last; ++i)
            setTick(i, regions[r]);
    }
}

RegionDialog::RegionDialog(const Ticks& ticks, Help& help, const Screen& screen,
                           QWidget* parent)
    : FixedDialog(QStringLiteral("ALLSELE"), QStringLiteral("選択／非選択"), screen, parent),
      help_(help)
{
    label_ = new QLabel(QStringLiteral("選択／非選択を選択し、OKﾎﾞﾀﾝを押して下さい。"), this);
    label_->setObjectName(QStringLiteral("Label1"));
    setColours(label_, kYellow);

    // Three rows of three, the regions in index order, then "全選択".
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(16);
    auto makeBox = [this](const QString& caption, const QColor& colour) {
        auto* box = new QCheckBox(caption, this);
        box->setToolTip(framedTip(caption));
        QPalette palette = box->palette();
        palette.setColor(QPalette::WindowText, colour);
        palette.setColor(QPalette::Text, Qt::black); // the tick on its white square
        palette.setColor(QPalette::Base, Qt::white);
        box->setPalette(palette);
        return box;
    };
    for (int r = 0; r < postal::kRegionCount; ++r) {
        const postal::Region& region = postal::kRegions[r];
        QCheckBox* box = makeBox(
            QString::fromUtf8(region.name.data(), qsizetype(region.name.size())),
            QColor(region.colour.r, region.colour.g, region.colour.b));
        box->setObjectName(QStringLiteral("Check1_%1").arg(r));
        grid->addWidget(box, r / 3, r % 3);
        regionBoxes_[r] = box;
    }
    all_ = makeBox(QStringLiteral("全選択"), kYellow);
    all_->setObjectName(QStringLiteral("Check2"));
    grid->addWidget(all_, 2, 2);
    connect(all_, &QCheckBox::toggled, this, &RegionDialog::tickAllRegions);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 12, 14, 12);
    layout->setSpacing(12);
    layout->addWidget(label_);
    layout->addLayout(grid);
    layout->addLayout(
        createButtons({QStringLiteral("OK"), QStringLiteral("キャンセル"), QStringLiteral("ヘルプ")}));
    connect(this, &FixedDialog::commandClicked, this, &RegionDialog::pressButton);

    loadTicks(ticks);
    fixSizeAndCentre();
}

void RegionDialog::loadTicks(const Ticks& ticks)
{
    const RegionBoxes full = fullyTickedRegions(ticks);
    int fullCount = 0;
    for (int r = 0; r < postal::kRegionCount; ++r) {
        regionBoxes_[r]->setChecked(full[r]);
        fullCount += full[r] ? 1 : 0;
    }
    if (fullCount == postal::kRegionCount)
        all_->setChecked(true);
}

RegionBoxes RegionDialog::regions() const
{
    RegionBoxes regions{};
    for (int r = 0; r < postal::kRegionCount; ++r)
        regions[r] = regionBoxes_[r]->isChecked();
    return regions;
}

void RegionDialog::tickAllRegions()
{
    // The region boxes follow "全選択"; it does not follow them.
    for (QCheckBox* box : regionBoxes_)
        box->setChecked(all_->isChecked());
}

void RegionDialog::pressButton(int index)
{
    switch (index) {
    case 0:
        accept();
        break;
    case 1:
        reject();
        break;
    default:
        help_.showContext(this, kHelpRegionDialog);
        break;
    }
}

void runRegionDialog(QWidget* parent, UiServices& services, const Ticks& ticks,
                    const std::function<void(int, bool)>& setTick)
{
    RegionDialog dialog(ticks, services.help, services.screen, parent);
    if (dialog.exec() == QDialog::Accepted)
        applyRegions(dialog.regions(), setTick);
}

} // namespace ui
