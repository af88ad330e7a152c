// The windowed program as it starts for real, ending itself once the main
// window has painted for the first time: scripts/bench-startup.sh times it
// from process start to that first paint.

#include "ui/main/MainWindow.h"
#include "ui/main/Program.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>

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
            QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
        }
        return false;
    }
};

} // namespace

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    ui::Program program(application);
    ui::MainWindow& window = program.start(QApplication::arguments());
    window.installEventFilter(new QuitWhenPainted(&window));
    return program.exec();
}
