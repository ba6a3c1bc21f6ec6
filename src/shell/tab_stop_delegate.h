#pragma once

#include <QStyledItemDelegate>
#include <vector>

namespace tarnwick {

// Draws a line's tab-separated fields at given stops (pixels) and makes every line as wide as
// the list's horizontal extent.
class TabStopDelegate : public QStyledItemDelegate {
  Q_OBJECT

 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  std::vector<int> stopPixels;
  int defaultStopPixels = 32;
  int extentPixels = 0;

  // Where each field starts, for a line drawn in the given font.
  std::vector<int> FieldPositions(const QStringList& fields, const QFontMetrics& metrics) const;

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

}  // namespace tarnwick
