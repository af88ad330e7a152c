#include "FileOperations.h"

#include "FileOperationsSystem.h"

#include <cerrno>

namespace platform {

namespace {

bool invalidName(const std::filesystem::path& path)
{
    return path.empty() || path.native().find(std::filesystem::path::value_type(0)) !=
                               std::filesystem::path::string_type::npos;
}

std::optional<FileError> invalid(const std::filesystem::path& path)
{
    return FileError{FileError::Kind::InvalidName, EINVAL, path};
}

} // namespace

std::optional<FileError> copyFile(const std::filesystem::path& source, const std::filesystem::path& target)
{
    if (invalidName(source))
        return invalid(source);
    if (invalidName(target))
        return invalid(target);
    return native::copyFile(source, target);
}

std::optional<FileError> renameFile(const std::filesystem::path& from, const std::filesystem::path& to)
{
    if (invalidName(from))
        return invalid(from);
    if (invalidName(to))
        return invalid(to);
    return native::renameFile(from, to);
}

std::optional<FileError> deleteFile(const std::filesystem::path& file)
{
    if (invalidName(file))
        return invalid(file);
    return native::deleteFile(file);
}

} // namespace platform
