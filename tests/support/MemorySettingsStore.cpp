#include "MemorySettingsStore.h"

#include <algorithm>

namespace testsupport {

namespace {

std::string lowered(std::string_view text)
{
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(), [](unsigned char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : static_cast<char>(c);
    });
    return result;
}

} // namespace

MemorySettingsStore::Name MemorySettingsStore::name(std::string_view section, std::string_view key)
{
    return {lowered(section), lowered(key)};
}

std::string MemorySettingsStore::read(std::string_view section, std::string_view key) const
{
    reads_.push_back({std::string(section), std::string(key), {}});
    const auto found = values_.find(name(section, key));
    return found == values_.end() ? std::string() : found->second;
}

void MemorySettingsStore::write(std::string_view section, std::string_view key,
                                std::string_view value)
{
    writes_.push_back({std::string(section), std::string(key), std::string(value)});
    values_[name(section, key)] = std::string(value);
}

bool MemorySettingsStore::flush()
{
    ++flushCount_;
    return flushResult_;
}

void MemorySettingsStore::preset(std::string_view section, std::string_view key,
                                 std::string_view value)
{
    values_[name(section, key)] = std::string(value);
}

bool MemorySettingsStore::contains(std::string_view section, std::string_view key) const
{
    return values_.count(name(section, key)) != 0;
}

void MemorySettingsStore::clearLog()
{
    writes_.clear();
    reads_.clear();
}

} // namespace testsupport
