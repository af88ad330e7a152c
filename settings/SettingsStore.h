#pragma once
// The per-user settings store: text values addressed by section and key under
// the application name DOZUZEZO. Section and key names match without regard
// to case. An absent key reads as the empty text; defaults are the caller's.

#include <string>
#include <string_view>

namespace settings {

class SettingsStore
{
public:
    virtual ~SettingsStore() = default;
    virtual std::string read(std::string_view section, std::string_view key) const = 0;
    virtual void write(std::string_view section, std::string_view key, std::string_view value) = 0;
    // Pushes pending writes to where they are kept; false when that failed.
    virtual bool flush() { return true; }
};

} // namespace settings
