#pragma once
// The reading rules written for clarity, not speed: the judge of the fast
// readers in the fuzzer, the nationwide list's and the business list's.
#include "postal/BusinessList.h"
#include "postal/Catalogue.h"
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

// The business-office list's rules (BusinessList.h), as plainly.
struct RefBusinessResult
{
    std::optional<LoadError::Kind> error;
    std::size_t line = 0;
    int field = 0;
    std::vector<std::pair<int, std::string>> lines;  // code, the line with its CR LF
};

inline bool allDigits(const std::string& s, std::size_t n)
{
    if (s.size() != n)
        return false;
    for (char c : s)
        if (c < '0' || c > '9')
            return false;
    return true;
}

inline RefBusinessResult referenceBusinessRead(const std::string& s)
{
    RefBusinessResult r;
    auto fail = [&](LoadError::Kind kind, int field) {
        r.error = kind;
        r.field = field;
        r.lines.clear();
        return r;
    };
    const std::string fieldStop(",\"\r\n\0", 5), quotedStop("\"\r\n\0", 4);
    if (s.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        r.line = 1;
        return fail(LoadError::Kind::ByteOrderMark, 0);
    }
    std::size_t pos = 0;
    int previous = 0;
    while (pos < s.size()) {
        ++r.line;
        const std::size_t start = pos;
        std::vector<std::string> fields;
        std::vector<bool> quotedness;
        for (;;) {
            const int n = static_cast<int>(fields.size()) + 1;
            const bool quoted = s[pos] == '"';
            if (quoted) {
                const std::size_t close = s.find_first_of(quotedStop, pos + 1);
                if (close == std::string::npos)
                    return fail(LoadError::Kind::CutShort, n);
                if (s[close] == '\0')
                    return fail(LoadError::Kind::NulByte, n);
                if (s[close] != '"')
                    return fail(LoadError::Kind::UnclosedQuote, n);
                fields.push_back(s.substr(pos + 1, close - pos - 1));
                pos = close + 1;
            } else {
                const std::size_t stop = std::min(s.find_first_of(fieldStop, pos), s.size());
                fields.push_back(s.substr(pos, stop - pos));
                pos = stop;
            }
            quotedness.push_back(quoted);
            if (pos == s.size())
                return fail(LoadError::Kind::CutShort, n);
            if (s[pos] == ',') {
                ++pos;
                continue;
            }
            if (s[pos] == '\0')
                return fail(LoadError::Kind::NulByte, n);
            if (s[pos] != '\r' && s[pos] != '\n')
                return fail(LoadError::Kind::QuoteInField, n);
            break;
        }
        if (fields.size() != 13)
            return fail(LoadError::Kind::FieldCount, 0);
        for (int f = 1; f <= 13; ++f)
            if (quotedness[f - 1] != (f >= 2 && f <= 10))
                return fail(quotedness[f - 1] ? LoadError::Kind::Quoted : LoadError::Kind::NotQuoted, f);
        if (s.compare(pos, 2, "\r\n") != 0)
            return fail(LoadError::Kind::NotCrLf, 0);
        pos += 2;
        if (!allDigits(fields[0], 5))
            return fail(LoadError::Kind::NotDigits, 1);
        const int code = std::stoi(fields[0].substr(0, 2));
        if (code < 1 || code > 47)
            return fail(LoadError::Kind::BadCode, 1);
        if (!allDigits(fields[7], 7))
            return fail(LoadError::Kind::NotDigits, 8);
        const std::string& old = fields[8];
        if (!(allDigits(old, 5) || (old.size() == 5 && allDigits(old.substr(0, 3), 3) && old.substr(3) == "  ")))
            return fail(LoadError::Kind::BadOldCode, 9);
        for (int f = 11; f <= 13; ++f)
            if (!allDigits(fields[f - 1], 1))
                return fail(LoadError::Kind::NotDigits, f);
        // The name in UTF-8 (the catalogue's) or Shift-JIS (the published list's).
        if (fields[3] != postal::kPrefectures[code - 1].name && fields[3] != postal::shiftJisName(code))
            return fail(LoadError::Kind::PrefectureName, 4);
        if (code < previous)
            return fail(LoadError::Kind::OutOfOrder, 1);
        previous = code;
        r.lines.emplace_back(code, s.substr(start, pos - start));
    }
    return r;
}

} // namespace testref
