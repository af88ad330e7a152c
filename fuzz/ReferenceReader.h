#pragma once
// The reading rules written for clarity, not speed: the judge of the fast
// reader in the fuzzer.
#include "postal/PostalList.h"

#include <array>
#include <cctype>
#include <optional>
#include <string>
#include <vector>

namespace testref {

using postal::LoadError;

struct RefRow
{
    std::array<std::string, 15> fields;
    bool verbatim;
    int code;
};

struct RefResult
{
    std::optional<LoadError::Kind> error;
    std::size_t line = 0;
    std::vector<RefRow> rows;
};

inline RefResult referenceRead(const std::string& s)
{
    RefResult r;
    const std::string fieldStop(",\"\r\n\0", 5), quotedStop("\"\r\n\0", 4);
    std::size_t pos = 0;
    auto fail = [&](LoadError::Kind kind) {
        r.error = kind;
        r.rows.clear();
        return r;
    };
    if (s.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        r.line = 1;
        return fail(LoadError::Kind::ByteOrderMark);
    }
    while (pos < s.size()) {
        ++r.line;
        RefRow row{{}, true, 0};
        int n = 0;
        for (;;) {
            std::string content;
            bool quoted = s[pos] == '"';
            if (quoted) {
                const std::size_t close = s.find_first_of(quotedStop, pos + 1);
                if (close == std::string::npos)
                    return fail(LoadError::Kind::CutShort);
                if (s[close] == '\0')
                    return fail(LoadError::Kind::NulByte);
                if (s[close] != '"')
                    return fail(LoadError::Kind::UnclosedQuote);
                content = s.substr(pos + 1, close - pos - 1);
                pos = close + 1;
            } else {
                const std::size_t stop = std::min(s.find_first_of(fieldStop, pos), s.size());
                content = s.substr(pos, stop - pos);
                pos = stop;
            }
            if (n < 15)
                row.fields[n] = content;
            ++n;
            row.verbatim = row.verbatim && quoted == (n >= 2 && n <= 9);
            if (pos == s.size())
                return fail(LoadError::Kind::CutShort);
            if (s[pos] == ',') {
                ++pos;
                continue;
            }
            if (s[pos] == '\0')
                return fail(LoadError::Kind::NulByte);
            if (s[pos] != '\r' && s[pos] != '\n')
                return fail(LoadError::Kind::QuoteInField);
            break;
        }
        if (n != 15)
            return fail(LoadError::Kind::FieldCount);
        const std::string& f1 = row.fields[0];
        if (f1.size() < 2 || !isdigit(static_cast<unsigned char>(f1[0])) ||
            !isdigit(static_cast<unsigned char>(f1[1])))
            return fail(LoadError::Kind::BadCode);
        row.code = (f1[0] - '0') * 10 + (f1[1] - '0');
        if (row.code < 1 || row.code > 47)
            return fail(LoadError::Kind::BadCode);
        if (s.compare(pos, 2, "\r\n") == 0) {
            pos += 2;
        } else {
            ++pos;
            row.verbatim = false;
        }
        r.rows.push_back(row);
    }
    return r;
}

} // namespace testref
