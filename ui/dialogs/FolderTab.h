#pragma once
// The settings dialog's second tab "ken_all.csv 保存先": the drive list, the
// folder list and the link to the postal service's postal-code page. The
// folder that counts is the one opened in the list (double-click or Enter),
// not the one merely highlighted; hidden folders are listed too.

#include <QList>
#include <QString>
#include <QWidget>
#include <optional>

class QComboBox;
class QFileSystemModel;
class QTimer;
class QModelIndex;
class QTreeView;

namespace ui {

class FolderTreeModel;
class LinkLabel;
class MessageBoxes;

struct Drive
{
    QString root;  // "/", "/media/usb", "C:/"
    QString label; // the volume's name; may be empty
};

// The mounted volumes that can hold files; on Windows, the drive letters.
QList<Drive> mountedDrives();
// The root of the volume that holds `folder`.
QString driveOf(const QString& folder);
// Whether a volume can be listed now (a drive without its disk cannot).
bool driveReadable(const QString& root);

class FolderTab : public QWidget
{
    Q_OBJECT
public:
    FolderTab(const QString& folder, const QList<Drive>& drives, MessageBoxes& messages,
              QWidget* parent = nullptr);

    // The folder shown open: the one the tab opened at, or the user's.
    QString openedFolder() const { return opened_; }
    // The folder the user opened, if they opened one.
    std::optional<QString> chosenFolder() const { return chosen_; }
    QComboBox* driveList() const { return drives_; }
    QTreeView* folderList() const { return folders_; }
    LinkLabel* link() const { return link_; }

public slots:
    // The user opens `folder`: it becomes the chosen one, shown open.
    void openFolder(const QString& folder);
    // The drive list's choice changed: the folder list shows that drive.
    void chooseDrive(int index);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showOpened(const QString& folder);
    void scrollToOpened();
    void openIndex(const QModelIndex& index);
    int driveIndex(const QString& root);
    void showDrive(const QString& root);

    MessageBoxes& messages_;
    QComboBox* drives_ = nullptr;
    QTreeView* folders_ = nullptr;
    LinkLabel* link_ = nullptr;
    QFileSystemModel* files_ = nullptr;
    FolderTreeModel* tree_ = nullptr;
    QString opened_;
    std::optional<QString> chosen_;
    QTimer* keepInSight_ = nullptr; // scrolls the opened folder back into sight
    bool userActed_ = false;        // in the list: from then on it scrolls as they do
    int driveShown_ = -1;
};

} // namespace ui
