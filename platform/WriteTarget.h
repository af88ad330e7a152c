#pragma once
// What the export's writer and the copy share about the file they write:
// the hidden name its new content waits under, and how a device or pipe
// is opened.

#include <cstddef>
#include <filesystem>

namespace platform {

#ifndef _WIN32
// The hidden file's path beside `target` up to its unique ending: the
// folder, "." + the target's name + ".". The name is shortened, never
// mid-character, so that `ending` more characters still fit within the
// folder's limit on a name's length: any name the file system takes as a
// target can be written. (Windows names these in WindowsSystem.)
std::filesystem::path hiddenNameStart(const std::filesystem::path& target, std::size_t ending);
#endif

// Opens a device or pipe for writing; -1 with errno on failure. Unless
// `waitForReader`, a pipe that nobody reads fails at once (ENXIO) instead of
// blocking until someone does: a window must not hang on it. (A Windows
// pipe never blocks the open: it is refused at once whenever nobody takes it.)
int openDirect(const std::filesystem::path& path, bool waitForReader);

} // namespace platform
