#include "FileChooser.h"

#include <QDir>
#include <QFileDialog>

namespace ui {

namespace {

// Windows users get the system's own chooser, which matches names without
// regard to case already and knows no brackets. Elsewhere the toolkit's:
// it shows Japanese whatever the desktop's language.
#ifdef Q_OS_WIN
constexpr bool kSystemChooser = true;
#else
constexpr bool kSystemChooser = false;
#endif

} // namespace

QString caseInsensitivePattern(const QString& pattern)
{
    const QString trimmed = pattern.trimmed();
    if (trimmed == QLatin1String("*.*"))
        return QStringLiteral("*");
    QString out;
    for (const QChar c : trimmed) {
        const QChar lower = c.toLower();
        const QChar upper = c.toUpper();
        if (c.isLetter() && c.unicode() < 128 && lower != upper) {
            out += QLatin1Char('[');
            out += lower;
            out += upper;
            out += QLatin1Char(']');
        } else {
            out += c;
        }
    }
    return out;
}

QStringList toNameFilters(const QString& filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString& desc = parts[i];
        QStringList patterns;
        for (const QString& p : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            if (!p.trimmed().isEmpty())
                patterns << (kSystemChooser ? p.trimmed() : caseInsensitivePattern(p));
        }
        if (desc.isEmpty() && patterns.isEmpty())
            continue;
        if (patterns.isEmpty())
            patterns << QStringLiteral("*");
        filters << desc + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    return filters;
}

QString QtFileChooser::choose(QWidget* parent, const FileDialogRequest& request)
{
    QFileDialog dialog(parent, request.title, request.folder);
    dialog.setObjectName(QStringLiteral("CommonDialog1"));
    dialog.setOption(QFileDialog::DontUseNativeDialog, !kSystemChooser);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    if (request.mode == FileDialogMode::Save) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
    }
    const QStringList filters = toNameFilters(request.filter);
    if (!filters.isEmpty())
        dialog.setNameFilters(filters);
    if (!request.fileName.isEmpty())
        dialog.selectFile(request.fileName);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    const QStringList files = dialog.selectedFiles();
    return files.isEmpty() ? QString() : QDir::toNativeSeparators(files.first());
}

} // namespace ui
