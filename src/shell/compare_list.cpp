#include "shell/compare_list.h"

#include <QStringListModel>

#include "shell/tab_stop_delegate.h"

namespace tarnwick {

namespace {
constexpr int kDefaultStopDialogUnits = 32;
}

CompareList::CompareList(const QString& objectName, QWidget* parent)
    : QListView(parent), model_(new QStringListModel(this)), delegate_(new TabStopDelegate(this)) {
  setObjectName(objectName);
  setModel(model_);
  setItemDelegate(delegate_);
  setUniformItemSizes(true);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  delegate_->defaultStopPixels = qRound(kDefaultStopDialogUnits * DialogUnitPixels());
}

void CompareList::Clear() { model_->setStringList({}); }

void CompareList::AddLine(const QString& line) {
  const int row = model_->rowCount();
  model_->insertRows(row, 1);
  model_->setData(model_->index(row), line);
}

void CompareList::SetLine(int row, const QString& line) {
  if (row >= 0 && row < model_->rowCount()) model_->setData(model_->index(row), line);
}

void CompareList::SetLines(const QStringList& lines) { model_->setStringList(lines); }

QStringList CompareList::Lines() const { return model_->stringList(); }

void CompareList::SetHorizontalExtent(int pixels) {
  delegate_->extentPixels = std::max(0, pixels);
  // Item sizes are cached by the view; a new extent needs a new layout.
  doItemsLayout();
  viewport()->update();
}

int CompareList::HorizontalExtent() const { return delegate_->extentPixels; }

double CompareList::DialogUnitPixels() const {
  // The platform's average character width: the alphabet in both cases, halved and rounded.
  const QFontMetrics metrics(font());
  const int alphabet = metrics.horizontalAdvance(
      QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  const int average = (alphabet / 26 + 1) / 2;
  return average / 4.0;
}

void CompareList::SetTabStops(const std::vector<int>& dialogUnits) {
  tabStops_ = dialogUnits;
  delegate_->stopPixels.clear();
  for (int units : dialogUnits) delegate_->stopPixels.push_back(qRound(units * DialogUnitPixels()));
  delegate_->defaultStopPixels = qRound(kDefaultStopDialogUnits * DialogUnitPixels());
  viewport()->update();
}

std::vector<int> CompareList::TabStops() const { return tabStops_; }

std::vector<int> CompareList::TabStopPixels() const { return delegate_->stopPixels; }

}  // namespace tarnwick
