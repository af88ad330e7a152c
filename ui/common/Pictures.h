#pragma once
// The program's pictures, prepared as PNGs when building (resources/).

#include <QIcon>

namespace ui {

// The program icon, at every size it was prepared in.
QIcon programIcon();
// A toolbar picture by its name ("save"), with its twice-as-dense version.
QIcon toolbarPicture(const char* name);

} // namespace ui
