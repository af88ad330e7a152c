#include "BusinessList.h"

#include "Catalogue.h"
#include "Export.h"

#include "platform/ByteScan.h"
#include "platform/Memory.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>
#include <new>

namespace postal {

namespace {

// The prefectures' names as the postal service writes them (code page 932).
constexpr std::string_view kShiftJisNames[kPrefectureCount] = {
    "\x96\x6B\x8A\x43\x93\xB9", "\x90\xC2\x90\x58\x8C\xA7", "\x8A\xE2\x8E\xE8\x8C\xA7", "\x8B\x7B\x8F\xE9\x8C\xA7",
    "\x8F\x48\x93\x63\x8C\xA7", "\x8E\x52\x8C\x60\x8C\xA7", "\x95\x9F\x93\x87\x8C\xA7", "\x88\xEF\x8F\xE9\x8C\xA7",
    "\x93\xC8\x96\xD8\x8C\xA7", "\x8C\x51\x94\x6E\x8C\xA7", "\x8D\xE9\x8B\xCA\x8C\xA7", "\x90\xE7\x97\x74\x8C\xA7",
    "\x93\x8C\x8B\x9E\x93\x73", "\x90\x5F\x93\xDE\x90\xEC\x8C\xA7", "\x90\x56\x8A\x83\x8C\xA7", "\x95\x78\x8E\x52\x8C\xA7",
    "\x90\xCE\x90\xEC\x8C\xA7", "\x95\x9F\x88\xE4\x8C\xA7", "\x8E\x52\x97\x9C\x8C\xA7", "\x92\xB7\x96\xEC\x8C\xA7",
    "\x8A\xF2\x95\x8C\x8C\xA7", "\x90\xC3\x89\xAA\x8C\xA7", "\x88\xA4\x92\x6D\x8C\xA7", "\x8E\x4F\x8F\x64\x8C\xA7",
    "\x8E\xA0\x89\xEA\x8C\xA7", "\x8B\x9E\x93\x73\x95\x7B", "\x91\xE5\x8D\xE3\x95\x7B", "\x95\xBA\x8C\xC9\x8C\xA7",
    "\x93\xDE\x97\xC7\x8C\xA7", "\x98\x61\x89\xCC\x8E\x52\x8C\xA7", "\x92\xB9\x8E\xE6\x8C\xA7", "\x93\x87\x8D\xAA\x8C\xA7",
    "\x89\xAA\x8E\x52\x8C\xA7", "\x8D\x4C\x93\x87\x8C\xA7", "\x8E\x52\x8C\xFB\x8C\xA7", "\x93\xBF\x93\x87\x8C\xA7",
    "\x8D\x81\x90\xEC\x8C\xA7", "\x88\xA4\x95\x51\x8C\xA7", "\x8D\x82\x92\x6D\x8C\xA7", "\x95\x9F\x89\xAA\x8C\xA7",
    "\x8D\xB2\x89\xEA\x8C\xA7", "\x92\xB7\x8D\xE8\x8C\xA7", "\x8C\x46\x96\x7B\x8C\xA7", "\x91\xE5\x95\xAA\x8C\xA7",
    "\x8B\x7B\x8D\xE8\x8C\xA7", "\x8E\xAD\x8E\x99\x93\x87\x8C\xA7", "\x89\xAB\x93\xEA\x8C\xA7",
};

inline bool digits(const char* p, int n)
{
    for (int i = 0; i < n; ++i)
        if (p[i] < '0' || p[i] > '9')
            return false;
    return true;
}

bool isPrefectureName(std::string_view name, int code)
{
    return name == kShiftJisNames[code - 1] || name == kPrefectures[static_cast<std::size_t>(code - 1)].name;
}

} // namespace

std::string_view shiftJisName(int jisCode) { return kShiftJisNames[jisCode - 1]; }

Layout layoutOf(std::string_view start, int& fields)
{
    fields = 1;
    bool quoted = false, ended = false;
    for (const char c : start) {
        if (c == '"') {
            quoted = !quoted;
        } else if (c == '\r' || c == '\n') {
            ended = true;
            break;
        } else if (c == ',' && !quoted) {
            ++fields;
        }
    }
    if (quoted || !ended || fields == kFieldCount)
        return Layout::Nationwide;
    return fields == kBusinessFieldCount ? Layout::Business : Layout::Neither;
}

std::span<char> BusinessList::room(std::size_t more)
{
    if (!bytes || capacity - size < more) {
        const std::size_t wanted = std::max(size + more, capacity + capacity / 2);
        char* bigger = platform::allocateBuffer(wanted + kBusinessPadding);
        if (!bigger)
            throw std::bad_alloc();
        if (size > 0)
            std::memcpy(bigger, bytes.get(), size);
        bytes.reset(bigger);
        capacity = wanted;
    }
    return {bytes.get() + size, capacity - size};
}

std::optional<LoadError> parseBusinessList(std::string_view bytes, BusinessList& list)
{
    try {
        list.size = 0;
        const std::span<char> room = list.room(bytes.size());
        if (!bytes.empty())
            std::memcpy(room.data(), bytes.data(), bytes.size());
        list.size = bytes.size();
    } catch (const std::bad_alloc&) {
        return LoadError{LoadError::Kind::OutOfMemory};
    }
    return checkBusinessList(list);
}

std::optional<LoadError> checkBusinessList(BusinessList& list)
{
    list.blocks.clear();
    if (!list.bytes)
        list.room(0);
    std::memset(list.bytes.get() + list.size, 0, kBusinessPadding);
    const char* const base = list.bytes.get();
    const char* const end = base + list.size;
    auto fail = [](LoadError::Kind kind, std::size_t line, int field) {
        LoadError e{kind, line};
        e.field = field;
        return e;
    };
    if (list.size >= 3 && std::memcmp(base, "\xEF\xBB\xBF", 3) == 0)
        return LoadError{LoadError::Kind::ByteOrderMark, 1};
    std::size_t line = 0;
    int previous = 0;
    const char* p = base;
    while (p != end) {
        ++line;
        const char* const lineStart = p;
        const char* starts[kBusinessFieldCount];
        const char* ends[kBusinessFieldCount];
        int field = 0;
        unsigned quotedFields = 0;  // bit f-1 for field f
        for (;;) {
            ++field;
            const bool quoted = *p == '"';
            const char* contentStart;
            if (quoted) {
                contentStart = ++p;
                p = platform::findQuoteOrLineEnd(p);
                if (*p != '"')
                    return fail(missingQuote(p, end), line, field);
            } else {
                contentStart = p;
                while (*p != ',' && *p != '"' && *p != '\r' && *p != '\n' && *p != '\0')
                    ++p;
            }
            if (field <= kBusinessFieldCount) {
                quotedFields |= unsigned(quoted) << (field - 1);
                starts[field - 1] = contentStart;
                ends[field - 1] = p;
            }
            if (quoted)
                ++p;
            if (*p == ',') {
                ++p;
                continue;
            }
            if (*p == '"' || (quoted && *p != '\r' && *p != '\n' && *p != '\0'))
                return fail(LoadError::Kind::QuoteInField, line, field);
            if (*p == '\0')
                return fail(p == end ? LoadError::Kind::CutShort : LoadError::Kind::NulByte, line, field);
            break;  // a line end
        }
        if (field != kBusinessFieldCount) {
            LoadError e{LoadError::Kind::FieldCount, line};
            e.fieldCount = field;
            e.expected = kBusinessFieldCount;
            return e;
        }
        // Fields 2-10 quoted, the others not.
        if (const unsigned wrong = quotedFields ^ 0x3FEu) {
            const int f = std::countr_zero(wrong) + 1;
            return fail((quotedFields >> (f - 1)) & 1 ? LoadError::Kind::Quoted : LoadError::Kind::NotQuoted,
                        line, f);
        }
        if (p[0] != '\r' || p[1] != '\n')
            return fail(LoadError::Kind::NotCrLf, line, 0);
        auto width = [&](int f) { return ends[f - 1] - starts[f - 1]; };
        auto notDigits = [&](int f, int n) {
            LoadError e = fail(LoadError::Kind::NotDigits, line, f);
            e.expected = n;
            return e;
        };
        if (width(1) != 5 || !digits(starts[0], 5))
            return notDigits(1, 5);
        const int code = (starts[0][0] - '0') * 10 + (starts[0][1] - '0');
        if (code < 1 || code > kPrefectureCount)
            return fail(LoadError::Kind::BadCode, line, 1);
        if (width(8) != 7 || !digits(starts[7], 7))
            return notDigits(8, 7);
        if (width(9) != 5 || !digits(starts[8], 3) ||
            !(digits(starts[8] + 3, 2) || (starts[8][3] == ' ' && starts[8][4] == ' ')))
            return fail(LoadError::Kind::BadOldCode, line, 9);
        for (int f = 11; f <= 13; ++f)
            if (width(f) != 1 || !digits(starts[f - 1], 1))
                return notDigits(f, 1);
        if (!isPrefectureName(std::string_view(starts[3], static_cast<std::size_t>(width(4))), code)) {
            LoadError e = fail(LoadError::Kind::PrefectureName, line, 4);
            e.jisCode = code;
            return e;
        }
        p += 2;
        const std::size_t begin = static_cast<std::size_t>(lineStart - base);
        const std::size_t after = static_cast<std::size_t>(p - base);
        if (code == previous) {
            list.blocks.back().end = after;
            continue;
        }
        if (code < previous) {
            LoadError e = fail(LoadError::Kind::OutOfOrder, line, 1);
            e.jisCode = code;
            e.expected = previous;
            return e;
        }
        list.blocks.push_back({begin, after, static_cast<std::uint8_t>(code)});
        previous = code;
    }
    return std::nullopt;
}

bool writeBusinessSelection(const BusinessList& list, const PrefectureSet& chosen, platform::ByteSink& sink)
{
    // Blocks follow one another: adjacent chosen ones go out as one write.
    std::size_t begin = 0, end = 0;
    for (const BusinessList::Block& block : list.blocks) {
        if (!chosen.contains(block.jisCode))
            continue;
        if (begin != end && end != block.begin) {
            if (!sink.write(std::string_view(list.bytes.get() + begin, end - begin)))
                return false;
            begin = end;
        }
        if (begin == end)
            begin = block.begin;
        end = block.end;
    }
    return begin == end || sink.write(std::string_view(list.bytes.get() + begin, end - begin));
}

std::optional<platform::WriteError> exportBusinessList(const BusinessList& list, const PrefectureSet& chosen,
                                                       const std::filesystem::path& target,
                                                       platform::PipeReader pipeReader)
{
    return writeReplacing(target, pipeReader, [&](platform::ByteSink& sink) {
        writeBusinessSelection(list, chosen, sink);
    });
}

} // namespace postal
