#include "Program.h"

#include "MainWindow.h"
#include "MainWindowSettings.h"
#include "StartupMessages.h"
#include "platform/FileSystem.h"
#include "settings/QtSettingsStore.h"
#include "state/Startup.h"
#include "ui/common/JapaneseFont.h"
#include "ui/common/PathText.h"
#include "ui/common/Pictures.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTimer>
#include <QTranslator>
#include <filesystem>

namespace ui {

namespace {

// The toolkit's own dialogs in Japanese, whatever the system's language.
void installJapaneseTranslations(QApplication& application)
{
    auto* translator = new QTranslator(&application);
    if (translator->load(QStringLiteral("qtbase_ja"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        application.installTranslator(translator);
}

} // namespace

// Made absolute before the current folder changes.
std::optional<std::filesystem::path> listArgument(const QStringList& arguments)
{
    bool optionsEnd = false;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        QString value;
        if (optionsEnd || !argument.startsWith(QLatin1Char('-')))
            value = argument;
        else if (argument == QLatin1String("--list") && i + 1 < arguments.size())
            value = arguments[++i];
        else if (argument.startsWith(QLatin1String("--list=")))
            value = argument.mid(7);
        optionsEnd = optionsEnd || argument == QLatin1String("--");
        if (!value.isEmpty())
            return std::filesystem::absolute(toPath(value));
    }
    return std::nullopt;
}

Program::Program(QApplication& application)
{
    // Fusion keeps the grey and the region colours on every desktop.
    QApplication::setStyle(QStringLiteral("Fusion"));
    installJapaneseTranslations(application);
}

// Before the first window; left until then, as matching the fonts takes as
// long as reading the list, which can then happen meanwhile. The main window
// gives the program its icon once it has painted; a start-up message before
// it needs the icon at once.
void Program::settleLook(bool withIcon)
{
    if (!lookSettled_)
        QApplication::setFont(japaneseFont(QStringLiteral("MS UI Gothic"), 9));
    lookSettled_ = true;
    if (withIcon && QGuiApplication::windowIcon().isNull())
        QApplication::setWindowIcon(programIcon());
}

Program::~Program() = default;

MainWindow& Program::start(const QStringList& arguments)
{
    const std::optional<std::filesystem::path> list = listArgument(arguments);
    const std::filesystem::path programFolder = platform::programFolder();
    // An installed program keeps the user's files in the user's own folder.
    const std::filesystem::path home = settings::defaultListFolder(programFolder);
    std::error_code ec;
    std::filesystem::create_directories(home, ec);
    std::filesystem::current_path(home, ec);

    store_ = settings::openUserStore();

    const QSizeF screen = screenTwips(screen_);
    state::StartupOptions options;
    options.programFolder = programFolder;
    options.defaultFolder = home;
    options.screen = {screen.width(), screen.height()};
    options.listOverride = list;

    StartupMessages startupUi(messages_, clock_, screen_, [this] { settleLook(true); });
    // The list is read and checked on a second thread while the window is
    // built; the window is shown only once it holds the checked list, or
    // start-up's warning has been answered.
    state::Startup startup(*store_, options, startupUi);
    settleLook(false);
    state_.emplace(*store_, startup.copies(), home);
    services_ = std::make_unique<UiServices>(UiServices{messages_, files_, clock_, screen_, help_,
                                                        launcher_, QLocale::system(),
                                                        [] { QCoreApplication::exit(0); }});
    window_ = std::make_unique<MainWindow>(*state_, *services_);

    const state::ListLoad loaded = startup.finish();
    state_->setList(loaded.table, loaded.listPath, loaded.listEntry);
    window_->showListStatus();
    window_->show();
    if (loaded.listMissing && !list)
        QTimer::singleShot(0, window_.get(), &MainWindow::offerListFetch);
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
