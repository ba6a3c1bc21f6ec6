#include "shell/tab_stop_delegate.h"

#include <QApplication>
#include <QPainter>

namespace tarnwick {

std::vector<int> TabStopDelegate::FieldPositions(const QStringList& fields,
                                                 const QFontMetrics& metrics) const {
  std::vector<int> positions;
  int x = 0;
  for (int i = 0; i < fields.size(); ++i) {
    if (i > 0) {
      // A tab moves to the first stop beyond the text so far.
      int next = -1;
      for (int stop : stopPixels) {
        if (stop > x) {
          next = stop;
          break;
        }
      }
      if (next < 0) {
        const int step = std::max(1, defaultStopPixels);
        next = (x / step + 1) * step;
      }
      x = next;
    }
    positions.push_back(x);
    x += metrics.horizontalAdvance(fields[i]);
  }
  return positions;
}

void TabStopDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                            const QModelIndex& index) const {
  QStyleOptionViewItem opt = option;
  initStyleOption(&opt, index);
  const QString text = opt.text;
  opt.text.clear();
  const QWidget* widget = option.widget;
  QStyle* style = widget ? widget->style() : QApplication::style();
  style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);

  const QStringList fields = text.split(QLatin1Char('\t'));
  const std::vector<int> positions = FieldPositions(fields, opt.fontMetrics);
  painter->save();
  painter->setFont(opt.font);
  painter->setPen(opt.palette.color(opt.state & QStyle::State_Selected ? QPalette::HighlightedText
                                                                       : QPalette::Text));
  const QRect r = opt.rect.adjusted(3, 0, 0, 0);
  for (int i = 0; i < fields.size(); ++i) {
    painter->drawText(QRect(r.left() + positions[i], r.top(), r.width(), r.height()),
                      Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, fields[i]);
  }
  painter->restore();
}

QSize TabStopDelegate::sizeHint(const QStyleOptionViewItem& option,
                                const QModelIndex& index) const {
  QSize size = QStyledItemDelegate::sizeHint(option, index);
  // Lines wider than the extent are cut at it, as the list scrolls only that far.
  size.setWidth(extentPixels);
  return size;
}

}  // namespace tarnwick
