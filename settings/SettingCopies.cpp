#include "SettingCopies.h"

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
double leadingNumber(const std::string& text)
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

} // namespace settings
