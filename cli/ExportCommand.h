#pragma once
// The command-line export: arguments in, list file out.

#include <filesystem>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "postal/Export.h"

namespace cli {

struct ExportArgs
{
    std::optional<std::filesystem::path> list;  // absent: the list the settings name
    bool business = false;                      // -j: without -l, the business list in its folder
    std::filesystem::path output;               // "-" is standard output
    postal::PrefectureSet chosen;
    bool help = false;
    bool version = false;
};

enum ExitCode : int {
    Ok = 0,
    UsageError = 2,
    ListError = 3,
    WriteError = 4,
};

// Parses the arguments (without the program name). On error returns nullopt
// and puts a one-line Japanese reason in `error`.
std::optional<ExportArgs> parseArgs(const std::vector<std::string>& args, std::string& error);

std::string usage();

// Where the list is when none is given: FolderName/Yubin_File from the
// settings, with their defaults (the program's folder, ken_all.csv). Empty,
// with a Japanese reason, when the settings cannot be read.
using DefaultList = std::function<std::optional<std::filesystem::path>(std::string& error)>;

int runExport(const std::vector<std::string>& args, const DefaultList& defaultList,
              std::ostream& out, std::ostream& err);

} // namespace cli
