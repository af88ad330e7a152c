#pragma once
// ALLSELE, "選択／非選択": ticks or clears whole regions of the main window's
// prefecture boxes. It reads the ticks when it opens and writes them only on
// OK, every region made uniform.

#include "FixedDialog.h"

#include "postal/Catalogue.h"

#include <array>
#include <functional>

class QCheckBox;
class QLabel;

namespace ui {

class Help;
struct UiServices;

using Ticks = std::array<bool, postal::kPrefectureCount>;
using RegionBoxes = std::array<bool, postal::kRegionCount>;

// A region starts ticked only when every one of its prefectures is ticked.
RegionBoxes fullyTickedRegions(const Ticks& ticks);

// Sets each of the 47 prefectures once, region by region in index order:
// ticked in a ticked region, cleared in the others.
void applyRegions(const RegionBoxes& regions, const std::function<void(int, bool)>& setTick);

class RegionDialog : public FixedDialog
{
    Q_OBJECT
public:
    RegionDialog(const Ticks& ticks, Help& help, const Screen& screen, QWidget* parent);

    QLabel* instruction() const { return label_; }
    QCheckBox* regionBox(int region) const { return regionBoxes_[region]; }
    QCheckBox* allBox() const { return all_; }
    RegionBoxes regions() const;

    void tickAllRegions();
    void pressButton(int index);

private:
    void loadTicks(const Ticks& ticks);

    Help& help_;
    QLabel* label_ = nullptr;
    std::array<QCheckBox*, postal::kRegionCount> regionBoxes_{};
    QCheckBox* all_ = nullptr;
};

// The command: shows the dialog over `parent` and, on OK, sets the main
// window's ticks through `setTick`.
void runRegionDialog(QWidget* parent, UiServices& services, const Ticks& ticks,
                     const std::function<void(int, bool)>& setTick);

} // namespace ui
