#include "SettingsStore.h"

namespace settings {

std::string kenOnOffKey(int prefectureIndex)
{
    return "Ken_OnOff(" + std::to_string(prefectureIndex) + ")";
}

} // namespace settings
