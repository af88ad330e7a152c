#pragma once
// Writing the rows of the chosen prefectures, in list order, as a new list.

#include "ListCheck.h"
#include "PostalList.h"

#include "platform/SafeFileWriter.h"

#include <bitset>
#include <cerrno>
#include <filesystem>
#include <new>
#include <optional>
#include <string>
#include <string_view>

namespace postal {

class PrefectureSet
{
public:
    void add(int jisCode) { bits_.set(static_cast<std::size_t>(jisCode)); }
    bool contains(int jisCode) const { return jisCode >= 1 && jisCode <= 47 && bits_.test(jisCode); }
    bool empty() const { return bits_.none(); }
    static PrefectureSet all();
    bool operator==(const PrefectureSet&) const = default;

private:
    std::bitset<48> bits_;
};

// Receives the export's bytes; a file, or a buffer in tests.
using ByteSink = platform::ByteSink;

// One row as an export line: field 1, fields 2-9 in double quotes,
// fields 10-15, separated by commas, ended by CR LF.
void appendExportLine(const PostalList& list, std::size_t row, std::string& out);

// Every row whose prefecture (first two digits of field 1) is chosen, in list
// order. Returns false as soon as the sink refuses.
bool writeSelection(const PostalList& list, const PrefectureSet& chosen, ByteSink& sink);

using WriteError = platform::WriteError;
using platform::systemErrorText;

// `write(sink)` into a new file at `target`, as exportToFile writes it; `write`
// may stop at a refused write, which commit() then reports.
template <class Write>
std::optional<WriteError> writeReplacing(const std::filesystem::path& target,
                                         platform::PipeReader pipeReader, Write write)
{
    try {
        platform::SafeFileWriter writer;
        if (auto e = writer.open(target, pipeReader))
            return e;
        write(writer);
        return writer.commit();
    } catch (const std::bad_alloc&) {
        // The writer is gone, and its temporary file with it.
        return WriteError{WriteError::Kind::WriteFailed, ENOMEM, target, {}};
    }
}

// Writes the selection to `target` through a temporary file in the target's
// folder, which replaces the target only once everything is written and on
// disk. On failure (no memory included) the target is untouched and no
// temporary file is left. A link is followed; a pipe or device (/dev/stdout)
// is written directly, and a pipe nobody reads is refused unless the caller
// waits for its reader.
std::optional<WriteError> exportToFile(const PostalList& list, const PrefectureSet& chosen,
                                       const std::filesystem::path& target,
                                       platform::PipeReader pipeReader = platform::PipeReader::Refuse);

struct CheckedExport
{
    std::optional<WriteError> error;  // the file could not be written
};

// The chosen rows of `list` written unchanged to a new file at `target`,
// replaced as exportToFile does. Done only where every chosen row already
// is its export line and the target is a plain file or a free name;
// nothing otherwise, with nothing written: the caller reads the list whole
// instead.
std::optional<CheckedExport> exportCheckedList(const CheckedList& list, const PrefectureSet& chosen,
                                               const std::filesystem::path& target);

struct FileExportResult
{
    std::optional<LoadError> loadError;    // the list was refused: nothing written
    std::optional<WriteError> writeError;  // the file could not be written
    explicit operator bool() const { return !loadError && !writeError; }
};

// The whole job for a one-shot run: reads the list file whole and checks
// it; only a list found good is then written, as exportToFile does. A
// refused list writes nothing, and makes no temporary file.
FileExportResult exportListFile(const std::filesystem::path& list, const PrefectureSet& chosen,
                                const std::filesystem::path& target);

} // namespace postal
