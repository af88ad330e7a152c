#pragma once
// A settings store held in memory for tests: names match without regard to
// case, as in the real store, and every read and write is recorded in order.

#include "settings/SettingsStore.h"

#include <algorithm>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace testsupport {

class MemorySettingsStore : public settings::SettingsStore
{
public:
    struct Access
    {
        std::string section;
        std::string key;
        std::string value; // empty for reads
        bool operator==(const Access&) const = default;
    };

    std::string read(std::string_view section, std::string_view key) const override
    {
        reads_.push_back({std::string(section), std::string(key), {}});
        const auto found = values_.find(name(section, key));
        return found == values_.end() ? std::string() : found->second;
    }
    void write(std::string_view section, std::string_view key, std::string_view value) override
    {
        writes_.push_back({std::string(section), std::string(key), std::string(value)});
        values_[name(section, key)] = std::string(value);
    }
    bool flush() override { return ++flushCount_, flushResult_; }

    // Puts a value in place without recording it: the store as a test finds it.
    void preset(std::string_view section, std::string_view key, std::string_view value)
    {
        values_[name(section, key)] = std::string(value);
    }
    bool contains(std::string_view section, std::string_view key) const
    {
        return values_.count(name(section, key));
    }
    const std::vector<Access>& writes() const { return writes_; }
    const std::vector<Access>& reads() const { return reads_; }
    void clearLog() { writes_.clear(), reads_.clear(); }

    // What the next flush() reports; counts the calls.
    void setFlushResult(bool ok) { flushResult_ = ok; }
    int flushCount() const { return flushCount_; }

private:
    using Name = std::pair<std::string, std::string>; // lower-cased section, key
    static Name name(std::string_view section, std::string_view key)
    {
        auto lowered = [](std::string_view text) {
            std::string s(text);
            std::transform(s.begin(), s.end(), s.begin(),
                           [](char c) { return c >= 'A' && c <= 'Z' ? char(c + 32) : c; });
            return s;
        };
        return {lowered(section), lowered(key)};
    }

    std::map<Name, std::string> values_;
    std::vector<Access> writes_;
    mutable std::vector<Access> reads_;
    bool flushResult_ = true;
    int flushCount_ = 0;
};

} // namespace testsupport
