#pragma once
#include <filesystem>
#include <string>

namespace cli {

// A module of the command-line export's own (the settings bridge, the zip
// reader): beside the program in the build tree, in its library folder once
// installed.
std::filesystem::path privateModule(const char* fileName);

// The function `name` of the module `fileName` (found as above), loaded and
// kept for the life of the process; null when either cannot be had, with the
// module's path and the loader's reason in `why`.
void* privateFunction(const char* fileName, const char* name, std::string& why);

} // namespace cli
