#pragma once
// The file commands as each system does them (FileOperationsPosix.cpp,
// FileOperationsWindows.cpp): the names are already known to be usable.

#include "FileOperations.h"

namespace platform::native {

std::optional<FileError> copyFile(const std::filesystem::path& source, const std::filesystem::path& target);
std::optional<FileError> renameFile(const std::filesystem::path& from, const std::filesystem::path& to);
std::optional<FileError> deleteFile(const std::filesystem::path& file);

} // namespace platform::native
