#include "QtSettingsStore.h"

#include "platform/FileSystem.h"

#include <QCoreApplication>
#include <QDir>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>

namespace settings {

namespace {

QString toQString(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

const QString kName = toQString(kAppName);

// The stored spelling of `name` among `names`: the exact one when present,
// else the first that differs only in case; empty when there is none.
QString storedSpelling(const QStringList& names, const QString& name)
{
    if (names.contains(name))
        return name;
    for (const QString& candidate : names) {
        if (candidate.compare(name, Qt::CaseInsensitive) == 0)
            return candidate;
    }
    return {};
}

} // namespace

#ifdef Q_OS_WIN
// Where the earlier Windows program's settings statements kept them (string
// values, a key a section), so its ticks, folder and position carry over.
QtSettingsStore::QtSettingsStore()
    : settings_(std::make_unique<QSettings>(
          QStringLiteral("HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\") + kName,
          QSettings::NativeFormat))
{
}
#else
QtSettingsStore::QtSettingsStore()
    : settings_(
          std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, kName, kName))
{
}
#endif

QtSettingsStore::QtSettingsStore(const QString& iniFile)
    : settings_(std::make_unique<QSettings>(iniFile, QSettings::IniFormat))
{
}

QtSettingsStore::~QtSettingsStore() = default;

// QSettings is case-sensitive in its INI files, while the store's names are
// not: look the section and key up among those already stored.
std::string QtSettingsStore::read(std::string_view section, std::string_view key) const
{
    // Spelled as stored, the usual case, it needs no search: listing the
    // names for each of start-up's sixty reads costs a good part of it.
    const QString exact = toQString(section) + QLatin1Char('/') + toQString(key);
    QVariant value;
    if (settings_->contains(exact)) {
        value = settings_->value(exact);
    } else {
        const QString group = storedSpelling(settings_->childGroups(), toQString(section));
        if (group.isEmpty())
            return {};
        settings_->beginGroup(group);
        const QString storedKey = storedSpelling(settings_->childKeys(), toQString(key));
        value = storedKey.isEmpty() ? QVariant() : settings_->value(storedKey);
        settings_->endGroup();
    }
    // An INI file edited by hand may hold an unquoted value with commas, which
    // QSettings hands back as a list.
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QLatin1Char(',')).toStdString();
    return value.toString().toStdString();
}

void QtSettingsStore::write(std::string_view section, std::string_view key, std::string_view value)
{
    QString group = storedSpelling(settings_->childGroups(), toQString(section));
    if (group.isEmpty())
        group = toQString(section);
    settings_->beginGroup(group);
    QString storedKey = storedSpelling(settings_->childKeys(), toQString(key));
    if (storedKey.isEmpty())
        storedKey = toQString(key);
    settings_->setValue(storedKey, toQString(value));
    settings_->endGroup();
}

bool QtSettingsStore::flush()
{
    settings_->sync();
    // A FormatError only says that lines of a hand-edited file were skipped
    // on reading; the values were still written.
    return settings_->status() != QSettings::AccessError;
}

std::unique_ptr<SettingsStore> openUserStore()
{
    const QString iniFile = qEnvironmentVariable("DOZUZEZO_SETTINGS");
    if (!iniFile.isEmpty())
        return std::make_unique<QtSettingsStore>(iniFile);
    return std::make_unique<QtSettingsStore>();
}

std::filesystem::path defaultListFolder(const std::filesystem::path& programFolder)
{
    if (platform::isUsersOwnFolder(programFolder))
        return programFolder;
    // Named like the store, whatever the program file is called; the
    // application's own names are left as they were.
    const QString organization = QCoreApplication::organizationName();
    const QString application = QCoreApplication::applicationName();
    QCoreApplication::setOrganizationName(kName);
    QCoreApplication::setApplicationName(kName);
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QCoreApplication::setOrganizationName(organization);
    QCoreApplication::setApplicationName(application);
    return std::filesystem::path(QDir::toNativeSeparators(folder).toStdU16String());
}

} // namespace settings
