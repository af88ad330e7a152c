#pragma once
// File paths between the toolkit's texts and std::filesystem, without
// passing through the system's narrow code page.

#include <QString>
#include <filesystem>

namespace ui {

inline std::filesystem::path toPath(const QString& text)
{
    return std::filesystem::path(text.toStdU16String());
}

inline QString fromPath(const std::filesystem::path& path)
{
    return QString::fromStdU16String(path.u16string());
}

} // namespace ui
