#include "OptionsTab.h"

#include "TooltipText.h"

#include <QCheckBox>
#include <QVBoxLayout>

namespace ui {

namespace {

const char* const kCaptions[] = {
    "ロゴの表示(&L)",
    "ダブルクリックで終了(&D)",
    "画面のセンタリング(&C)",
    "最後のアクティブタブ(&A)",
};

} // namespace

OptionsTab::OptionsTab(const OptionChoices& choices, QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("SSTab1_0"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 20, 24, 20);
    layout->setSpacing(14);
    const bool ticked[] = {choices.logo, choices.doubleClickEnds, choices.centred,
                           choices.rememberTab};
    for (int i = 0; i < 4; ++i) {
        auto* box = new QCheckBox(QString::fromUtf8(kCaptions[i]), this);
        box->setObjectName(QStringLiteral("Check1_%1").arg(i));
        box->setProperty("index", i);
        box->setToolTip(tooltipText(box->text()));
        box->setChecked(ticked[i]);
        layout->addWidget(box);
        boxes_[i] = box;
    }
    layout->addStretch();
}

OptionChoices OptionsTab::choices() const
{
    return {boxes_[0]->isChecked(), boxes_[1]->isChecked(), boxes_[2]->isChecked(),
            boxes_[3]->isChecked()};
}

} // namespace ui
