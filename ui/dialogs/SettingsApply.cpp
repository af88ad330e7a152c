#include "SettingsApply.h"

#include <QDir>
#include <QFileInfo>

namespace ui {

using settings::Setting;

OptionChoices optionChoices(const state::SettingCopies& copies)
{
    return {copies.isOn(Setting::OptLogo), copies.isOn(Setting::OptDbl),
            copies.isOn(Setting::OptCent), copies.isOn(Setting::OptLAct)};
}

int openingTab(const state::SettingCopies& copies)
{
    const int tab = settings::tabIndex(copies.text(Setting::OptLATab));
    return tab < 0 ? 0 : tab;
}

QString openingFolder(const state::SettingCopies& copies, const QString& currentFolder)
{
    const QString stored = QString::fromStdString(copies.text(Setting::FolderName));
    if (!stored.isEmpty()) {
        const QFileInfo folder(stored);
        if (folder.isDir())
            return QDir::cleanPath(folder.absoluteFilePath());
    }
    return QDir::cleanPath(currentFolder);
}

std::string folderText(const QString& folder)
{
    // cleanPath keeps a root's separator ("/", "C:/") and drops any other
    // trailing one.
    return QDir::toNativeSeparators(QDir::cleanPath(folder)).toStdString();
}

std::optional<QPointF> saveOptions(state::Settings& settings, const OptionChoices& choices,
                                   int currentTab, const Placement& window)
{
    settings.write(Setting::OptLogo, std::string(settings::tickText(choices.logo)));
    settings.write(Setting::OptDbl, std::string(settings::tickText(choices.doubleClickEnds)));

    // A window left in the very corner is centred even with centring off.
    std::optional<QPointF> moveTo;
    if (choices.centred || window.current == QPointF(0, 0))
        moveTo = window.centred;
    const QPointF position = moveTo.value_or(window.current);
    settings.remember(Setting::KTop, settings::twipsText(position.y()));
    settings.remember(Setting::KLeft, settings::twipsText(position.x()));
    settings.write(Setting::OptCent, std::string(settings::tickText(choices.centred)));

    settings.write(Setting::OptLAct, std::string(settings::tickText(choices.rememberTab)));
    if (settings.isOn(Setting::OptLAct))
        settings.write(Setting::OptLATab, std::to_string(currentTab));
    return moveTo;
}

bool saveFolder(state::Settings& settings, const std::optional<QString>& chosenFolder)
{
    if (!chosenFolder)
        return false;
    const std::string before = settings.text(Setting::FolderName);
    settings.write(Setting::FolderName, folderText(*chosenFolder));
    return settings.text(Setting::FolderName) != before;
}

} // namespace ui
