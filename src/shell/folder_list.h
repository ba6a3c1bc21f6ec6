#pragma once

#include <QString>
#include <QTreeWidget>

namespace tarnwick {

// A folder browser in the manner of a folder list: the chain of folders down to the current
// one, then its sub-folders. Activating a folder makes it the current one.
class FolderList : public QTreeWidget {
  Q_OBJECT

 public:
  explicit FolderList(const QString& objectName, QWidget* parent = nullptr);

  QString Path() const { return path_; }
  // Moves to an existing folder; false (and nothing changes) when there is none. PathChanged
  // follows only when the path really changed.
  bool SetPath(const QString& folder);

  // The form a path takes in the list, so callers can compare with it.
  static QString Normalised(const QString& folder);

 signals:
  void PathChanged(const QString& path);

 protected:
  // The chain is always open: no expand or collapse marks.
  void drawBranches(QPainter*, const QRect&, const QModelIndex&) const override {}

 private:
  void Fill();

  QString path_;
};

}  // namespace tarnwick
