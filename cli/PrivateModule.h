#pragma once
#include <filesystem>

namespace cli {

// A module of the command-line export's own (the settings bridge, the zip
// reader): beside the program in the build tree, in its library folder once
// installed.
std::filesystem::path privateModule(const char* fileName);

} // namespace cli
