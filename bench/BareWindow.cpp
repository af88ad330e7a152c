// The floor the program's start-up is measured against: an empty Qt main
// window with a menu bar, a toolbar and a status bar, ending itself at its
// first paint as bench/StartupHarness.cpp does for the program.

#include "EndAtFirstPaint.h"

#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>

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
    window.installEventFilter(new EndAtFirstPaint(&window));
    window.show();
    return QApplication::exec();
}
