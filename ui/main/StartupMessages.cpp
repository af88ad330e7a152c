#include "StartupMessages.h"

#include "ui/common/MessageBoxes.h"
#include "ui/info/SplashWindow.h"

namespace ui {

void StartupMessages::showSplash()
{
    if (beforeWindow_)
        beforeWindow_();
    SplashWindow splash(clock_, screen_);
    splash_ = &splash;
    splash.exec();
}

void StartupMessages::closeSplash()
{
    if (splash_)
        splash_->done(SplashWindow::Accepted);
}

void StartupMessages::warn(const std::string& text, const std::string& title)
{
    if (beforeWindow_)
        beforeWindow_();
    messages_.warn(nullptr, QString::fromStdString(text), QString::fromStdString(title));
}

} // namespace ui
