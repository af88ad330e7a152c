#pragma once
// The program's in-memory copies of every setting, and the store they came
// from. Start-up fills the copies; afterwards the windows read the copies
// and write through here, so copy and store never disagree by accident.

#include "settings/SettingsTable.h"

#include <array>
#include <string>

namespace state {

using settings::Setting;

inline constexpr int kTickCount = 47;

// The stored texts, exactly as read or written.
class SettingCopies
{
public:
    const std::string& text(Setting setting) const
    {
        return texts_[static_cast<std::size_t>(setting)];
    }
    void setText(Setting setting, std::string text)
    {
        texts_[static_cast<std::size_t>(setting)] = std::move(text);
    }
    bool isOn(Setting flag) const { return settings::isOn(text(flag)); }

    const std::string& tickText(int prefectureIndex) const { return ticks_.at(prefectureIndex); }
    void setTickText(int prefectureIndex, std::string text)
    {
        ticks_.at(prefectureIndex) = std::move(text);
    }
    bool isTicked(int prefectureIndex) const { return settings::isTicked(tickText(prefectureIndex)); }

private:
    std::array<std::string, settings::kSettingCount> texts_;
    std::array<std::string, kTickCount> ticks_;
};

class Settings
{
public:
    Settings(settings::SettingsStore& store, SettingCopies copies = {})
        : store_(store), copies_(std::move(copies))
    {
    }

    const SettingCopies& copies() const { return copies_; }
    const std::string& text(Setting setting) const { return copies_.text(setting); }
    bool isOn(Setting flag) const { return copies_.isOn(flag); }
    bool isTicked(int prefectureIndex) const { return copies_.isTicked(prefectureIndex); }

    // Copy and store together.
    void write(Setting setting, std::string text)
    {
        settings::write(store_, setting, text);
        copies_.setText(setting, std::move(text));
    }
    void writeTick(int prefectureIndex, bool ticked)
    {
        const std::string text(settings::tickText(ticked));
        settings::writeTick(store_, prefectureIndex, text);
        copies_.setTickText(prefectureIndex, text);
    }
    // The copy alone: what the store keeps is written elsewhere or later.
    void remember(Setting setting, std::string text) { copies_.setText(setting, std::move(text)); }

    bool flush() { return store_.flush(); }
    settings::SettingsStore& store() { return store_; }

private:
    settings::SettingsStore& store_;
    SettingCopies copies_;
};

} // namespace state
