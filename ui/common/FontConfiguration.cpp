#include "FontConfiguration.h"

#ifdef DOZUZEZO_FONTCONFIG
#include <fontconfig/fontconfig.h>
#endif

#include <system_error>

namespace ui {

FontConfiguration::FontConfiguration()
{
#ifdef DOZUZEZO_FONTCONFIG
    try {
        // fontconfig installs the first configuration loaded and drops a later one.
        loader_ = std::jthread([] { FcInit(); });
    } catch (const std::system_error&) {
        // No thread to spare: the toolkit loads it when it needs it.
    }
#endif
}

FontConfiguration::~FontConfiguration() = default;

} // namespace ui
