#pragma once
// The settings dialog's first tab "環境設定": the four option boxes.

#include "SettingsApply.h"

#include <QWidget>
#include <array>

class QCheckBox;

namespace ui {

class OptionsTab : public QWidget
{
    Q_OBJECT
public:
    explicit OptionsTab(const OptionChoices& choices, QWidget* parent = nullptr);

    OptionChoices choices() const;
    QCheckBox* box(int index) const { return boxes_.at(index); }

private:
    std::array<QCheckBox*, 4> boxes_{};
};

} // namespace ui
