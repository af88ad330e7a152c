#pragma once
#include <filesystem>
#include <optional>
#include <string>

namespace cli {

// The list file named by the settings, through the settings bridge beside
// this program or in its installed library folder. Empty, with the reason in `error`, when it cannot be read.
std::optional<std::filesystem::path> configuredList(std::string& error);

} // namespace cli
