#include "SettingsTable.h"

#include <cmath>
#include <charconv>
#include <cstddef>
#include <limits>
#include <system_error>

namespace settings {

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

} // namespace

// Read like the positions were always read: blanks, a sign, digits, a
// fraction and an exponent; whatever follows is ignored. Parsed by hand up to
// from_chars so that neither the C locale's decimal comma nor "inf"/"nan"
// can sneak in.
double leadingNumber(std::string_view text)
{
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    const std::size_t start = i;
    bool nonZeroInteger = false;
    while (i < n && isDigit(text[i]))
        nonZeroInteger |= text[i++] != '0';
    bool digits = i > start;
    if (i < n && text[i] == '.') {
        ++i;
        const std::size_t fraction = i;
        while (i < n && isDigit(text[i]))
            ++i;
        digits |= i > fraction;
    }
    if (!digits)
        return 0;
    bool exponent = false;
    bool negativeExponent = false;
    if (i < n && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < n && (text[j] == '+' || text[j] == '-')) {
            negativeExponent = text[j] == '-';
            ++j;
        }
        if (j < n && isDigit(text[j])) {
            while (j < n && isDigit(text[j]))
                ++j;
            i = j;
            exponent = true;
        }
    }
    double value = 0;
    const auto [end, ec] = std::from_chars(text.data() + start, text.data() + i, value);
    (void)end;
    if (ec == std::errc::result_out_of_range) {
        // Too large or too small for a double; which one shows in the text.
        const bool large = !negativeExponent && (nonZeroInteger || exponent);
        value = large ? std::numeric_limits<double>::infinity() : 0;
    }
    return negative ? -value : value;
}

std::string tickKey(int prefectureIndex)
{
    return "Ken_OnOff(" + std::to_string(prefectureIndex) + ")";
}

std::string read(const SettingsStore& store, Setting setting)
{
    const SettingKey& key = keyOf(setting);
    return store.read(key.section, key.key);
}

void write(SettingsStore& store, Setting setting, std::string_view text)
{
    const SettingKey& key = keyOf(setting);
    store.write(key.section, key.key, text);
}

std::string readTick(const SettingsStore& store, int prefectureIndex)
{
    return store.read(kTickSection, tickKey(prefectureIndex));
}

void writeTick(SettingsStore& store, int prefectureIndex, std::string_view text)
{
    store.write(kTickSection, tickKey(prefectureIndex), text);
}

bool holdsNumber(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        ++i;
    if (i < text.size() && text[i] == '.')
        ++i;
    return i < text.size() && isDigit(text[i]);
}

bool isTicked(std::string_view text)
{
    return std::lround(leadingNumber(text)) != 0;
}

std::string_view tickText(bool ticked)
{
    return ticked ? "1" : "0";
}

std::string twipsText(double twips)
{
    return std::to_string(std::lround(twips));
}

int tabIndex(std::string_view text)
{
    if (text.empty() || text.size() > 3)
        return -1;
    int value = 0;
    for (char c : text) {
        if (!isDigit(c))
            return -1;
        value = value * 10 + (c - '0');
    }
    return value;
}

} // namespace settings
