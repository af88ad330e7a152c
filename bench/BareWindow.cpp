// The floor the program's start-up is measured against: an empty Qt main
// window with a menu bar, a toolbar and a status bar, ending itself at its
// first paint as bench/StartupHarness.cpp does for the program.

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

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
    QApplication application(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("bare"));
    QMenu* file = window.menuBar()->addMenu(QStringLiteral("&File"));
    QAction* quit = file->addAction(QStringLiteral("&Quit"));
    window.addToolBar(QStringLiteral("Tools"))->addAction(quit);
    window.statusBar()->showMessage(QStringLiteral("Ready"));
    window.resize(800, 600);
    window.installEventFilter(new QuitWhenPainted(&window));
    window.show();
    return QApplication::exec();
}
