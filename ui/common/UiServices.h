#pragma once
// What the windows need from outside: the dialogs, the clock, the screen,
// help, the desktop's browser and mail, and the way to end the program. main() passes the real ones, tests
// pass scripted ones.

#include "Clock.h"
#include "FileChooser.h"
#include "Help.h"
#include "Launcher.h"
#include "MessageBoxes.h"
#include "Screen.h"

#include <QLocale>
#include <functional>

namespace ui {

struct UiServices
{
    MessageBoxes& messages;
    FileChooser& files;
    Clock& clock;
    Screen& screen;
    Help& help;
    Launcher& launcher;               // web pages and mail
    QLocale locale;                   // AM/PM designators of the clock
    std::function<void()> endProgram; // ends the process's event loop at once
};

} // namespace ui
