#include "shell/folder_list.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QStyle>

namespace tarnwick {

namespace {
constexpr int kPathRole = Qt::UserRole + 1;
}

FolderList::FolderList(const QString& objectName, QWidget* parent) : QTreeWidget(parent) {
  setObjectName(objectName);
  setHeaderHidden(true);
  setRootIsDecorated(false);
  setIndentation(12);
  setUniformRowHeights(true);
  setColumnCount(1);
  setItemsExpandable(false);
  connect(this, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item, int) {
    if (item) SetPath(item->data(0, kPathRole).toString());
  });
}

QString FolderList::Normalised(const QString& folder) {
  if (folder.isEmpty()) return {};
  return QDir::toNativeSeparators(QDir::cleanPath(QFileInfo(folder).absoluteFilePath()));
}

bool FolderList::SetPath(const QString& folder) {
  const QString target = Normalised(folder);
  if (target.isEmpty() || !QFileInfo(target).isDir()) return false;
  if (target == path_) return true;
  path_ = target;
  Fill();
  emit PathChanged(path_);
  return true;
}

void FolderList::Fill() {
  clear();
  const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
  const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);

  // The chain from the root down to the current folder.
  QStringList chain;
  QDir dir(path_);
  chain.prepend(dir.absolutePath());
  while (dir.cdUp()) chain.prepend(dir.absolutePath());

  QTreeWidgetItem* parentItem = nullptr;
  for (const QString& folder : chain) {
    QFileInfo info(folder);
    QString name = info.fileName();
    if (name.isEmpty()) name = QDir::toNativeSeparators(folder);
    auto* item = parentItem ? new QTreeWidgetItem(parentItem) : new QTreeWidgetItem(this);
    item->setText(0, name);
    item->setIcon(0, open);
    item->setData(0, kPathRole, QDir::toNativeSeparators(folder));
    parentItem = item;
  }
  QTreeWidgetItem* current = parentItem;
  const QFileInfoList children =
      QDir(path_).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
  for (const QFileInfo& child : children) {
    auto* item = new QTreeWidgetItem(current);
    item->setText(0, child.fileName());
    item->setIcon(0, closed);
    item->setData(0, kPathRole, QDir::toNativeSeparators(child.absoluteFilePath()));
  }
  expandAll();
  setCurrentItem(current);
  scrollToItem(current);
}

}  // namespace tarnwick
