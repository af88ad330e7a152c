// The windowed program: start-up, then the main window until it ends.

#include "ui/common/FontConfiguration.h"
#include "ui/main/Program.h"

#include <QApplication>
#include <csignal>

int main(int argc, char* argv[])
{
#ifdef SIGXFSZ
    // Past a file-size limit a write should fail and be reported, not kill us.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    const ui::FontConfiguration fonts;
    QApplication application(argc, argv);
    ui::Program program(application);
    program.start(QApplication::arguments());
    return program.exec();
}
