// The windowed program: start-up, then the main window until it ends.

#include "state/ProgramState.h"
#include "state/Startup.h"
#include "platform/FileSystem.h"
#include "settings/QtSettingsStore.h"
#include "ui/common/JapaneseFont.h"
#include "ui/common/PathText.h"
#include "ui/common/Twips.h"
#include "ui/main/DateTimeText.h"
#include "ui/main/MainWindow.h"
#include "ui/main/StartupMessages.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTimer>
#include <QTranslator>
#include <csignal>
#include <filesystem>
#include <optional>

namespace {

// "--list <file>" or "--list=<file>": a list for this run only (the sample,
// scripts). Made absolute before the current folder changes.
std::optional<std::filesystem::path> listOverride(const QStringList& arguments)
{
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        QString value;
        if (arguments[i] == QLatin1String("--list") && i + 1 < arguments.size())
            value = arguments[i + 1];
        else if (arguments[i].startsWith(QLatin1String("--list=")))
            value = arguments[i].mid(7);
        if (!value.isEmpty())
            return std::filesystem::absolute(ui::toPath(value));
    }
    return std::nullopt;
}

// The toolkit's own dialogs in Japanese, whatever the system's language.
void installJapaneseTranslations(QApplication& application)
{
    auto* translator = new QTranslator(&application);
    if (translator->load(QStringLiteral("qtbase_ja"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        application.installTranslator(translator);
}

// For the start-up benchmark: ends the program once the main window has
// painted for the first time, without asking anything.
class QuitWhenShown : public QObject
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
#ifdef SIGXFSZ
    // Past a file-size limit a write should fail and be reported, not kill us.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    QApplication application(argc, argv);
    QApplication::setStyle(
        QStringLiteral("Fusion")); // keeps the grey and the region colours everywhere
    QApplication::setFont(ui::japaneseFont(QStringLiteral("MS UI Gothic"), 9));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/app.svg")));
    installJapaneseTranslations(application);

    const std::optional<std::filesystem::path> list = listOverride(QApplication::arguments());

    state::ProgramState state;
    state.programFolder = platform::programFolder();
    std::error_code ec;
    std::filesystem::current_path(state.programFolder, ec);

    std::unique_ptr<settings::SettingsStore> store = settings::openUserStore();
    state.store = store.get();

    ui::QtMessageBoxes messages;
    ui::QtFileChooser files;
    ui::SystemClock clock;
    ui::QtScreen screen;
    ui::HelpViewer help;

    const ui::TwipsScale scale(screen.logicalDpiX(), screen.logicalDpiY());
    const QSizeF screenTwips = scale.twips(screen.sizePixels());
    state::StartupOptions options;
    options.programFolder = state.programFolder;
    options.screen = {screenTwips.width(), screenTwips.height()};
    options.listOverride = list;

    ui::StartupMessages startupUi(messages);
    state::StartupResult started = state::runStartup(*store, options, startupUi);
    state.copies = std::move(started.copies);
    state.table = std::move(started.table);

    ui::SetDateTime(state, clock.now(), QLocale::system());

    ui::UiServices services{
        messages, files, clock, screen, help, QLocale::system(), [] { QCoreApplication::exit(0); }};
    ui::MainWindow window(state, services);
    if (qEnvironmentVariableIsSet("DOZUZEZO_QUIT_WHEN_SHOWN"))
        window.installEventFilter(new QuitWhenShown(&window));
    window.show();
    const int code = QApplication::exec();
    store->flush();
    return code;
}
