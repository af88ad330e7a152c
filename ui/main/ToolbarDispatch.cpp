#include "ToolbarDispatch.h"

namespace ui {

Command toolbarCommand(int buttonNumber)
{
    switch (buttonNumber) {
    case 2:
        return Command::Save;
    case 4:
        return Command::Copy;
    case 5:
        return Command::Rename;
    case 6:
        return Command::SelectByRegion;
    case 7:
        return Command::Delete;
    case 9:
        return Command::Settings;
    case 11:
        return Command::About;
    case 12:
        return Command::HelpContents;
    default:
        return Command::None;
    }
}

bool isToolbarSeparator(int buttonNumber)
{
    return buttonNumber == 1 || buttonNumber == 3 || buttonNumber == 8 || buttonNumber == 10;
}

} // namespace ui
