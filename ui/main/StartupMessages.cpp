#include "StartupMessages.h"

#include "ui/common/MessageBoxes.h"

namespace ui {

void StartupMessages::warn(const std::string& text, const std::string& title)
{
    messages_.warn(nullptr, QString::fromStdString(text), QString::fromStdString(title));
}

} // namespace ui
