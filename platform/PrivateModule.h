#pragma once
#include <filesystem>
#include <string>

namespace platform {

// A module of the programs' own (the export's settings bridge, the zip
// reader), named without the platform's prefix and suffix
// ("dozuzezo-zip-reader": libdozuzezo-zip-reader.so, dozuzezo-zip-reader.dll):
// beside the program, or in the programs' library folder, as they are
// installed and in the build tree.
std::filesystem::path privateModule(const char* name);

// The function `function` of the module `module` (found as above), loaded and
// kept for the life of the process; null when either cannot be had, with the
// module's path and the loader's reason in `why`.
void* privateFunction(const char* module, const char* function, std::string& why);

} // namespace platform
