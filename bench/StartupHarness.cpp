// The windowed program as it starts for real, ending itself once the main
// window has painted for the first time: scripts/bench-startup.sh times it
// from process start to that first paint.

#include "EndAtFirstPaint.h"
#include "ui/common/FontConfiguration.h"
#include "ui/main/MainWindow.h"
#include "ui/main/Program.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    const ui::FontConfiguration fonts;
    QApplication application(argc, argv);
    ui::Program program(application);
    ui::MainWindow& window = program.start(QApplication::arguments());
    window.installEventFilter(new EndAtFirstPaint(&window));
    return program.exec();
}
