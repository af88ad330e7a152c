#pragma once
// What start-up shows, in windows: the splash and its warnings through the
// message boxes.

#include "state/Startup.h"

#include <QPointer>
#include <functional>

namespace ui {

class Clock;
class MessageBoxes;
class Screen;
class SplashWindow;

class StartupMessages : public state::StartupUi
{
public:
    // `beforeWindow` runs before the splash or a warning is shown.
    StartupMessages(MessageBoxes& messages, Clock& clock, const Screen& screen,
                    std::function<void()> beforeWindow = {})
        : messages_(messages), clock_(clock), screen_(screen), beforeWindow_(std::move(beforeWindow))
    {
    }

    void showSplash() override;
    void closeSplash() override;
    void warn(const std::string& text, const std::string& title) override;

private:
    MessageBoxes& messages_;
    Clock& clock_;
    const Screen& screen_;
    std::function<void()> beforeWindow_;
    QPointer<SplashWindow> splash_;
};

} // namespace ui
