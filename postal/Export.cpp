#include "Export.h"

#include "platform/SafeFileWriter.h"

#include <cerrno>
#include <new>
#include <utility>
#include <vector>

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
                                       const std::filesystem::path& target, platform::PipeReader pipeReader)
{
    return writeReplacing(target, pipeReader,
                          [&](platform::ByteSink& sink) { writeSelection(list, chosen, sink); });
}

std::optional<CheckedExport> exportCheckedList(const CheckedList& list, const PrefectureSet& chosen,
                                               const std::filesystem::path& target)
{
    // Adjacent chosen runs join into one write.
    std::vector<std::pair<std::uint64_t, std::uint64_t>> ranges;
    for (const CheckedList::Run& run : list.runs) {
        if (!chosen.contains(run.jisCode))
            continue;
        if (!run.verbatim)
            return std::nullopt;
        if (!ranges.empty() && ranges.back().second == run.begin)
            ranges.back().second = run.end;
        else
            ranges.emplace_back(run.begin, run.end);
    }
    if (!platform::isPlainFileTarget(target))
        return std::nullopt;
    platform::SafeFileWriter writer;
    if (auto e = writer.open(target))
        return CheckedExport{e};
    for (const auto& [begin, end] : ranges) {
        if (!writer.write(list.bytes(begin, end)))
            break;  // a refused write is reported by commit()
    }
    return CheckedExport{writer.commit()};
}

FileExportResult exportListFile(const std::filesystem::path& listPath, const PrefectureSet& chosen,
                                const std::filesystem::path& target)
{
    LoadResult loaded = PostalList::load(listPath);
    if (!loaded)
        return {loaded.error, std::nullopt};
    return {std::nullopt, exportToFile(*loaded.list, chosen, target)};
}

} // namespace postal
