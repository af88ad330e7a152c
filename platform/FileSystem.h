#pragma once
// The few file-system facts the program asks of its platform.

#include <filesystem>

namespace platform {

// A plain file: not a folder or device; on Windows also not hidden or system.
bool isPlainFile(const std::filesystem::path& path);

// The folder that holds the running program, without a trailing separator.
std::filesystem::path programFolder();

} // namespace platform
