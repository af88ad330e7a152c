// The windowed program as it starts for real, ending itself once the main
// window has painted for the first time: scripts/bench-startup.sh times it
// from process start to that first paint.

#include "ui/common/FontConfiguration.h"
#include "ui/main/MainWindow.h"
#include "ui/main/Program.h"

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QTimer>

#include <cstdlib>

namespace {

class QuitWhenPainted : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            // Once the painted window has reached the X server, the process ends
            // there: what a program does on quitting is not its start-up.
            QTimer::singleShot(0, qApp, [] {
                QGuiApplication::sync();
                std::_Exit(0);
            });
        }
        return false;
    }
};

} // namespace

int main(int argc, char* argv[])
{
    const ui::FontConfiguration fonts;
    QApplication application(argc, argv);
    ui::Program program(application);
    ui::MainWindow& window = program.start(QApplication::arguments());
    window.installEventFilter(new QuitWhenPainted(&window));
    return program.exec();
}
