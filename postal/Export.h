#pragma once
// Writing the rows of the chosen prefectures, in list order, as a new list.

#include "PostalList.h"

#include <bitset>
#include <filesystem>
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
class ByteSink
{
public:
    virtual ~ByteSink() = default;
    // False when the bytes could not be taken; the export stops there.
    virtual bool write(std::string_view bytes) = 0;
};

// One row as an export line: field 1, fields 2-9 in double quotes,
// fields 10-15, separated by commas, ended by CR LF.
void appendExportLine(const PostalList& list, std::size_t row, std::string& out);

// Every row whose prefecture (first two digits of field 1) is chosen, in list
// order. Returns false as soon as the sink refuses.
bool writeSelection(const PostalList& list, const PrefectureSet& chosen, ByteSink& sink);

struct WriteError
{
    enum class Kind {
        FolderMissing,   // the target's folder does not exist
        NotAFile,        // the target is a folder or something else that is not a file
        CreateFailed,    // the temporary file could not be made beside the target
        WriteFailed,     // writing, flushing or closing failed (disk full, size limit ...)
        ReplaceFailed,   // the finished file could not take the target's place
    };
    Kind kind{};
    int sysError = 0;  // errno
    std::filesystem::path target;

    // Japanese, e.g. "ディスクの空き容量が足りません。"
    std::string reason() const;
};

// Writes the selection to `target` through a temporary file in the target's
// folder, which replaces the target only once everything is written and on
// disk. On failure the target is untouched and no temporary file is left.
// A target that is a device (/dev/stdout) is written directly.
std::optional<WriteError> exportToFile(const PostalList& list, const PrefectureSet& chosen,
                                       const std::filesystem::path& target);

struct FileExportResult
{
    std::optional<LoadError> loadError;    // the list was refused: nothing written
    std::optional<WriteError> writeError;  // the file could not be written
    explicit operator bool() const { return !loadError && !writeError; }
};

// The whole job for a one-shot run: reads the list file in place and writes
// the chosen rows to `target` as exportToFile does. Lines are written while
// the list is still being checked and kept only if the whole list proves
// valid and already in export form; otherwise the export is redone from the
// checked rows, and a refused list writes nothing.
FileExportResult exportListFile(const std::filesystem::path& list, const PrefectureSet& chosen,
                                const std::filesystem::path& target);

// Japanese text for an errno, e.g. ENOSPC -> "ディスクの空き容量が足りません".
std::string systemErrorText(int sysError);

} // namespace postal
