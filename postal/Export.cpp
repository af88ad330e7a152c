#include "Export.h"

#include "SafeFileWriter.h"

#include <cstring>

namespace postal {

PrefectureSet PrefectureSet::all()
{
    PrefectureSet s;
    for (int code = 1; code <= 47; ++code)
        s.add(code);
    return s;
}

void appendExportLine(const PostalList& list, std::size_t row, std::string& out)
{
    out += list.field(row, 1);
    for (int f = 2; f <= 9; ++f) {
        out += f == 2 ? ",\"" : "\",\"";
        out += list.field(row, f);
    }
    out += "\",";
    out += list.field(row, 10);
    for (int f = 11; f <= 15; ++f) {
        out += ',';
        out += list.field(row, f);
    }
    out += "\r\n";
}

bool writeSelection(const PostalList& list, const PrefectureSet& chosen, ByteSink& sink)
{
    // Rows already in export form go out as spans of the file's own bytes;
    // adjacent chosen runs join into one span.
    std::size_t spanFirst = 0, spanEnd = 0;
    std::string buffer;
    auto flushSpan = [&] {
        bool ok = spanFirst == spanEnd || sink.write(list.span(spanFirst, spanEnd));
        spanFirst = spanEnd = 0;
        return ok;
    };
    for (const PostalList::Run& run : list.runs()) {
        if (!chosen.contains(run.jisCode))
            continue;
        if (run.verbatim) {
            if (spanFirst == spanEnd || spanEnd != run.firstRow) {
                if (!flushSpan())
                    return false;
                spanFirst = run.firstRow;
            }
            spanEnd = run.endRow;
            continue;
        }
        if (!flushSpan())
            return false;
        for (std::size_t row = run.firstRow; row < run.endRow; ++row) {
            appendExportLine(list, row, buffer);
            if (buffer.size() >= (1u << 16)) {
                if (!sink.write(buffer))
                    return false;
                buffer.clear();
            }
        }
        if (!buffer.empty()) {
            if (!sink.write(buffer))
                return false;
            buffer.clear();
        }
    }
    return flushSpan();
}

std::optional<WriteError> exportToFile(const PostalList& list, const PrefectureSet& chosen,
                                       const std::filesystem::path& target)
{
    SafeFileWriter writer;
    if (auto e = writer.open(target))
        return e;
    writeSelection(list, chosen, writer);  // a refused write is reported by commit()
    return writer.commit();
}

namespace {

// Every line whose first two bytes are a chosen JIS code, in file order,
// taking lines as ending at line feeds. Right exactly when the list proves
// valid and in export form; false as soon as a line cannot be judged so.
template <typename Emit>
bool writeChosenLines(std::string_view bytes, const PrefectureSet& chosen, Emit emit)
{
    constexpr std::size_t kChunk = std::size_t(1) << 20;  // keeps the disk busy early
    std::size_t spanStart = 0, spanEnd = 0;
    for (std::size_t pos = 0; pos < bytes.size();) {
        const char* lf = static_cast<const char*>(std::memchr(bytes.data() + pos, '\n', bytes.size() - pos));
        if (!lf || bytes.size() - pos < 2)
            return false;
        const std::size_t next = static_cast<std::size_t>(lf - bytes.data()) + 1;
        const char a = bytes[pos], b = bytes[pos + 1];
        if (a < '0' || a > '9' || b < '0' || b > '9')
            return false;
        if (chosen.contains((a - '0') * 10 + (b - '0'))) {
            if (spanEnd != pos) {
                if (spanEnd > spanStart && !emit(spanStart, spanEnd))
                    return false;
                spanStart = pos;
            }
            spanEnd = next;
            if (spanEnd - spanStart >= kChunk) {
                if (!emit(spanStart, spanEnd))
                    return false;
                spanStart = spanEnd;
            }
        }
        pos = next;
    }
    return spanEnd <= spanStart || emit(spanStart, spanEnd);
}

bool allVerbatim(const PostalList& list)
{
    for (const PostalList::Run& run : list.runs())
        if (!run.verbatim)
            return false;
    return true;
}

} // namespace

FileExportResult exportListFile(const std::filesystem::path& listPath, const PrefectureSet& chosen,
                                const std::filesystem::path& target)
{
    SafeFileWriter writer;
    if (auto e = writer.open(target))
        return {std::nullopt, e};
    bool early = false;
    const bool everything = chosen == PrefectureSet::all();
    auto alongside = [&](std::string_view bytes, int fd) {
        auto emit = [&](std::size_t from, std::size_t to) {
            return writer.copyFrom(fd, from, bytes.substr(from, to - from));
        };
        // With every prefecture chosen, a valid list in export form is its
        // own export: no line needs looking at here.
        early = everything ? emit(0, bytes.size()) : writeChosenLines(bytes, chosen, emit);
    };
    LoadResult loaded = PostalList::load(listPath, PostalList::Reading::Mapped, alongside);
    if (!loaded)
        return {loaded.error, std::nullopt};  // the writer drops its temporary file
    if (!early || !allVerbatim(*loaded.list)) {
        if (auto e = writer.open(target))
            return {std::nullopt, e};
        writeSelection(*loaded.list, chosen, writer);
    }
    return {std::nullopt, writer.commit()};
}

} // namespace postal
