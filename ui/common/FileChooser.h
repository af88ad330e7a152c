#pragma once
// The file open/save dialog. Windows reach it only through this interface so
// tests can script the chosen file and read what was asked.

#include <QString>
#include <QStringList>

class QWidget;

namespace ui {

enum class FileDialogMode
{
    Open,
    Save
};

struct FileDialogRequest
{
    FileDialogMode mode = FileDialogMode::Open;
    QString title;
    QString folder;   // initial folder
    QString fileName; // initial file name
    QString filter;   // "desc|pattern|desc|pattern", as the program writes it
};

class FileChooser
{
public:
    virtual ~FileChooser() = default;
    // The chosen file's full path, or empty when the user cancelled.
    virtual QString choose(QWidget* parent, const FileDialogRequest& request) = 0;
};

// "郵便番号一覧ﾌｧｲﾙ(*.CSV)|*.CSV|すべてのﾌｧｲﾙ(*.*)|*.*" -> the toolkit's
// name filters, one "desc (patterns)" per pair. Patterns match regardless of
// case ("*.csv" -> "*.[cC][sS][vV]"), and "*.*" matches every file, as the
// program's users know it from Windows.
QStringList toNameFilters(const QString& filter);
QString caseInsensitivePattern(const QString& pattern);

// The toolkit's own dialog (so it speaks Japanese like the rest of the
// program), asking before it replaces an existing file.
class QtFileChooser : public FileChooser
{
public:
    QString choose(QWidget* parent, const FileDialogRequest& request) override;
};

} // namespace ui
