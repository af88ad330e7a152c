#pragma once
// The system's font configuration loaded on a thread of its own from the
// program's first instant, while the toolkit connects to the display: the
// toolkit's font matching then finds it ready instead of reading it on the
// way to the first window. Where the toolkit does not use fontconfig, this
// does nothing.

#include <thread>

namespace ui {

class FontConfiguration
{
public:
    // Starts loading; the toolkit may ask before it is done, and then loads
    // its own as it always would.
    FontConfiguration();
    ~FontConfiguration(); // waits for the loading, if it still runs

    FontConfiguration(const FontConfiguration&) = delete;
    FontConfiguration& operator=(const FontConfiguration&) = delete;

private:
    std::jthread loader_;
};

} // namespace ui
