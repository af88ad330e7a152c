#pragma once
// What start-up shows, in windows: the splash and its warnings through the
// message boxes.

#include "state/Startup.h"

#include <QPointer>

namespace ui {

class Clock;
class MessageBoxes;
class Screen;
class SplashWindow;

class StartupMessages : public state::StartupUi
{
public:
    StartupMessages(MessageBoxes& messages, Clock& clock, const Screen& screen)
        : messages_(messages), clock_(clock), screen_(screen)
    {
    }

    void showSplash() override;
    void closeSplash() override;
    void warn(const std::string& text, const std::string& title) override;

private:
    MessageBoxes& messages_;
    Clock& clock_;
    const Screen& screen_;
    QPointer<SplashWindow> splash_;
};

} // namespace ui
