#pragma once
// What start-up shows, in windows: its warnings through the message boxes.
// The splash window comes later; until then start-up shows none.

#include "state/Startup.h"

namespace ui {

class MessageBoxes;

class StartupMessages : public state::StartupUi
{
public:
    explicit StartupMessages(MessageBoxes& messages) : messages_(messages) {}

    void showSplash() override {}
    void closeSplash() override {}
    void warn(const std::string& text, const std::string& title) override;

private:
    MessageBoxes& messages_;
};

} // namespace ui
