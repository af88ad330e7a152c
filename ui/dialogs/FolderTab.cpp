#include "FolderTab.h"

#include "TooltipText.h"
#include "ui/common/LinkLabel.h"
#include "ui/common/MessageBoxes.h"
#include "ui/info/ProgramInfo.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QScrollBar>
#include <QSortFilterProxyModel>
#include <QStorageInfo>
#include <QStyle>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

namespace ui {

namespace {

#ifdef Q_OS_WIN
constexpr Qt::CaseSensitivity kPathCase = Qt::CaseInsensitive;
#else
constexpr Qt::CaseSensitivity kPathCase = Qt::CaseSensitive;
#endif

bool samePath(const QString& a, const QString& b)
{
    return a.compare(b, kPathCase) == 0;
}

// Whether `path` is `base` or lies below it.
bool withinFolder(const QString& path, const QString& base)
{
    if (samePath(path, base))
        return true;
    const QString prefix = base.endsWith(QLatin1Char('/')) ? base : base + QLatin1Char('/');
    return path.startsWith(prefix, kPathCase);
}

} // namespace

// The file system's folders, limited to one drive with the drive's root as
// the top item, and the opened folder drawn open and in bold.
class FolderTreeModel : public QSortFilterProxyModel
{
public:
    FolderTreeModel(QFileSystemModel* files, const QIcon& openIcon, QObject* parent)
        : QSortFilterProxyModel(parent), files_(files), openIcon_(openIcon)
    {
        setSourceModel(files);
    }

    void setDriveRoot(const QString& root)
    {
        root_ = root;
        invalidateFilter();
    }
    void setOpened(const QString& folder) { opened_ = folder; }

    QString pathOf(const QModelIndex& index) const
    {
        return QDir::cleanPath(files_->filePath(mapToSource(index)));
    }
    QModelIndex indexOf(const QString& path) const
    {
        return mapFromSource(files_->index(path));
    }

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (index.column() == 0 && (role == Qt::FontRole || role == Qt::DecorationRole) &&
            samePath(pathOf(index), opened_)) {
            if (role == Qt::DecorationRole)
                return openIcon_;
            QFont bold = QApplication::font();
            bold.setBold(true);
            return bold;
        }
        return QSortFilterProxyModel::data(index, role);
    }

protected:
    // The drive's folders, and the folders above its root so the root can
    // be reached.
    bool filterAcceptsRow(int row, const QModelIndex& parent) const override
    {
        const QString path = QDir::cleanPath(files_->filePath(files_->index(row, 0, parent)));
        return withinFolder(path, root_) || withinFolder(root_, path);
    }

private:
    QFileSystemModel* files_;
    QIcon openIcon_;
    QString root_;
    QString opened_;
};

QList<Drive> mountedDrives()
{
    QList<Drive> drives;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (volume.isValid())
            drives.append({QDir::cleanPath(volume.rootPath()), volume.name()});
    }
    std::sort(drives.begin(), drives.end(), [](const Drive& a, const Drive& b) {
        return a.root.compare(b.root, kPathCase) < 0;
    });
    return drives;
}

QString driveOf(const QString& folder)
{
    const QStorageInfo volume(folder);
    return volume.isValid() ? QDir::cleanPath(volume.rootPath()) : QDir::rootPath();
}

bool driveReadable(const QString& root)
{
    const QDir dir(root);
    return dir.exists() && dir.isReadable() && QStorageInfo(root).isReady();
}

FolderTab::FolderTab(const QString& folder, const QList<Drive>& drives, MessageBoxes& messages,
                     QWidget* parent)
    : QWidget(parent), messages_(messages)
{
    setObjectName(QStringLiteral("SSTab1_1"));

    drives_ = new QComboBox(this);
    drives_->setObjectName(QStringLiteral("Drive1"));
    drives_->setToolTip(QStringLiteral(" ドライブ名 "));
    for (const Drive& drive : drives) {
        const QString root = QDir::toNativeSeparators(drive.root);
        drives_->addItem(drive.label.isEmpty() ? root : root + QStringLiteral(" [%1]").arg(drive.label),
                         drive.root);
    }

    files_ = new QFileSystemModel(this);
    // Hidden ones too: a list may well be kept under ~/.local/share.
    files_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives | QDir::Hidden);
    files_->setReadOnly(true);
    tree_ = new FolderTreeModel(files_, style()->standardIcon(QStyle::SP_DirOpenIcon), this);

    folders_ = new QTreeView(this);
    folders_->setObjectName(QStringLiteral("Dir1"));
    folders_->setToolTip(QStringLiteral(" フォルダ名 "));
    folders_->setModel(tree_);
    folders_->setHeaderHidden(true);
    for (int column = 1; column < files_->columnCount(); ++column)
        folders_->hideColumn(column);
    // Opening a folder expands it; the tree's own double-click would then
    // fold it up again.
    folders_->setExpandsOnDoubleClick(false);
    connect(folders_, &QTreeView::activated, this, &FolderTab::openIndex);
    // Folders load and sort after the opened one was scrolled to, and push
    // it out of sight: until the user acts in the list, bring it back after
    // each sort (the model sorts whatever arrives).
    keepInSight_ = new QTimer(this);
    keepInSight_->setSingleShot(true);
    keepInSight_->setInterval(0);
    connect(keepInSight_, &QTimer::timeout, this, [this] {
        if (!userActed_)
            scrollToOpened();
    });
    connect(tree_, &QAbstractItemModel::layoutChanged, keepInSight_, qOverload<>(&QTimer::start));
    for (QObject* part :
         {static_cast<QObject*>(folders_), static_cast<QObject*>(folders_->viewport()),
          static_cast<QObject*>(folders_->verticalScrollBar())})
        part->installEventFilter(this);

    const QString page = QString::fromUtf8(info::kPostalCodePage);
    link_ = new LinkLabel(QStringLiteral("URL：") + page, this);
    link_->setObjectName(QStringLiteral("Label1"));
    link_->setToolTip(QLatin1Char(' ') + page + QLatin1Char(' '));
    QFont linkFont = link_->font();
    linkFont.setPointSizeF(12);
    link_->setFont(linkFont);
    link_->setTextColour(Qt::black);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 14, 16, 10);
    layout->setSpacing(8);
    layout->addWidget(drives_);
    layout->addWidget(folders_, 1);
    // Sized to its text, so only the text is the link.
    layout->addWidget(link_, 0, Qt::AlignLeft);

    const QString start = QDir::cleanPath(folder);
    driveShown_ = driveIndex(driveOf(start));
    drives_->setCurrentIndex(driveShown_);
    showDrive(drives_->itemData(driveShown_).toString());
    showOpened(start);
    connect(drives_, &QComboBox::currentIndexChanged, this, &FolderTab::chooseDrive);
}

int FolderTab::driveIndex(const QString& root)
{
    for (int i = 0; i < drives_->count(); ++i) {
        if (samePath(drives_->itemData(i).toString(), root))
            return i;
    }
    // A volume the list did not name still gets its line.
    drives_->addItem(QDir::toNativeSeparators(root), root);
    return drives_->count() - 1;
}

void FolderTab::showDrive(const QString& root)
{
    files_->setRootPath(root);
    tree_->setDriveRoot(root);
    folders_->setRootIndex(tree_->indexOf(root).parent());
}

void FolderTab::openFolder(const QString& folder)
{
    chosen_ = QDir::cleanPath(folder);
    showOpened(folder);
}

void FolderTab::showOpened(const QString& folder)
{
    opened_ = QDir::cleanPath(folder);
    tree_->setOpened(opened_);
    const QModelIndex index = tree_->indexOf(opened_);
    folders_->setCurrentIndex(index);
    folders_->expand(index);
    scrollToOpened();
    folders_->viewport()->update();
}

// Centred where it has to move, so a row or two arriving above it keeps it
// in sight.
void FolderTab::scrollToOpened()
{
    const QModelIndex index = tree_->indexOf(opened_);
    if (!folders_->viewport()->rect().contains(folders_->visualRect(index)))
        folders_->scrollTo(index, QAbstractItemView::PositionAtCenter);
}

bool FolderTab::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::Wheel:
    case QEvent::KeyPress:
        userActed_ = true;
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void FolderTab::openIndex(const QModelIndex& index)
{
    if (index.isValid())
        openFolder(tree_->pathOf(index));
}

void FolderTab::chooseDrive(int index)
{
    if (index < 0 || index == driveShown_)
        return;
    const QString root = drives_->itemData(index).toString();
    if (!driveReadable(root)) {
        // The list keeps showing the drive it showed; so does the choice.
        const QSignalBlocker quiet(drives_);
        drives_->setCurrentIndex(driveShown_);
        messages_.warn(this,
                       QStringLiteral("ドライブ 「%1」 を読み込めません。　\n\n"
                                      "ディスクが入っているか、接続されているかを確かめて下さい。　")
                           .arg(QDir::toNativeSeparators(root)),
                       QStringLiteral("ドライブ確認"));
        return;
    }
    driveShown_ = index;
    showDrive(root);
    // The drive's current folder: the process's own where it lies on that
    // drive, its root elsewhere.
    const QString current = QDir::cleanPath(QDir::currentPath());
    openFolder(withinFolder(current, root) && samePath(driveOf(current), root) ? current : root);
}

} // namespace ui
