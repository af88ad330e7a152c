#include "Program.h"

#include "MainWindow.h"
#include "MainWindowSettings.h"
#include "StartupMessages.h"
#include "platform/FileSystem.h"
#include "settings/QtSettingsStore.h"
#include "state/Startup.h"
#include "ui/common/JapaneseFont.h"
#include "ui/common/PathText.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <filesystem>

namespace ui {

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
            return std::filesystem::absolute(toPath(value));
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

} // namespace

Program::Program(QApplication& application)
{
    // Fusion keeps the grey and the region colours on every desktop.
    QApplication::setStyle(QStringLiteral("Fusion"));
    QApplication::setFont(japaneseFont(QStringLiteral("MS UI Gothic"), 9));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/app.svg")));
    installJapaneseTranslations(application);
}

Program::~Program() = default;

MainWindow& Program::start(const QStringList& arguments)
{
    const std::optional<std::filesystem::path> list = listOverride(arguments);
    const std::filesystem::path programFolder = platform::programFolder();
    std::error_code ec;
    std::filesystem::current_path(programFolder, ec);

    store_ = settings::openUserStore();

    const QSizeF screen = screenTwips(screen_);
    state::StartupOptions options;
    options.programFolder = programFolder;
    options.screen = {screen.width(), screen.height()};
    options.listOverride = list;

    StartupMessages startupUi(messages_, clock_, screen_);
    state::StartupResult started = state::runStartup(*store_, options, startupUi);
    state_.emplace(*store_, std::move(started.copies), programFolder);
    if (!started.listMissing && !started.loadError)
        state_->setList(std::move(started.table));

    services_ = std::make_unique<UiServices>(UiServices{messages_, files_, clock_, screen_, help_, launcher_,
                                                        QLocale::system(),
                                                        [] { QCoreApplication::exit(0); }});
    window_ = std::make_unique<MainWindow>(*state_, *services_);
    window_->show();
    return *window_;
}

int Program::exec()
{
    const int code = QApplication::exec();
    if (store_)
        store_->flush();
    return code;
}

} // namespace ui
