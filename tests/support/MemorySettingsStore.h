#pragma once
// A settings store held in memory for tests: names match without regard to
// case, as in the real store, and every read and write is recorded in order.

#include "settings/SettingsStore.h"

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

    std::string read(std::string_view section, std::string_view key) const override;
    void write(std::string_view section, std::string_view key, std::string_view value) override;
    bool flush() override;

    // Puts a value in place without recording it: the store as a test finds it.
    void preset(std::string_view section, std::string_view key, std::string_view value);
    bool contains(std::string_view section, std::string_view key) const;
    std::size_t size() const { return values_.size(); }

    const std::vector<Access>& writes() const { return writes_; }
    const std::vector<Access>& reads() const { return reads_; }
    void clearLog();

    // What the next flush() reports; counts the calls.
    void setFlushResult(bool ok) { flushResult_ = ok; }
    int flushCount() const { return flushCount_; }

private:
    using Name = std::pair<std::string, std::string>; // lower-cased section, key
    static Name name(std::string_view section, std::string_view key);

    std::map<Name, std::string> values_;
    std::vector<Access> writes_;
    mutable std::vector<Access> reads_;
    bool flushResult_ = true;
    int flushCount_ = 0;
};

} // namespace testsupport
