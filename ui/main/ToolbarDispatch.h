#pragma once
// Which command each of the toolbar's 12 positions runs.

namespace ui {

enum class Command
{
    None, // a separator
    Save,
    Copy,
    Rename,
    SelectByRegion,
    Delete,
    Settings,
    About,
    HelpContents,
};

inline constexpr int kToolbarPositions = 12;

// Button number 1-12 from the left; separators and unknown numbers give None.
Command toolbarCommand(int buttonNumber);
bool isToolbarSeparator(int buttonNumber);

} // namespace ui
