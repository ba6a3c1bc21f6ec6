#include "shell/compare_list.h"

#include <QHelpEvent>
#include <QScrollBar>
#include <QStringListModel>
#include <QToolTip>

#include "report/column_stops.h"
#include "report/comparison_report.h"
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

void CompareList::Clear() {
  model_->setStringList({});
  UpdateStops();
  // A new report starts at its top left, whatever the last one was scrolled to.
  horizontalScrollBar()->setValue(0);
  verticalScrollBar()->setValue(0);
}

bool CompareList::viewportEvent(QEvent* event) {
  if (event->type() != QEvent::ToolTip) return QListView::viewportEvent(event);
  const auto* help = static_cast<QHelpEvent*>(event);
  const QModelIndex index = indexAt(help->pos());
  const QString line = index.isValid() ? index.data().toString() : QString();
  // A sentence (a finding, a message) that the list cuts off is shown whole, wrapped.
  const QRect shown = visualRect(index).intersected(viewport()->rect());
  const bool cut = fontMetrics().horizontalAdvance(line) + 8 > viewport()->width() ||
                   horizontalScrollBar()->value() > 0;
  if (line.trimmed().isEmpty() || line.contains(QLatin1Char('\t')) || !cut) {
    QToolTip::hideText();
    event->ignore();
    return true;
  }
  QToolTip::showText(help->globalPos(), QStringLiteral("<p>%1</p>").arg(line.toHtmlEscaped()),
                     viewport(), shown);
  return true;
}

void CompareList::AddLine(const QString& line) {
  const int row = model_->rowCount();
  model_->insertRows(row, 1);
  model_->setData(model_->index(row), line);
  // Only a field that another follows can move a stop.
  if (line.contains(QLatin1Char('\t'))) UpdateStops();
}

void CompareList::SetLine(int row, const QString& line) {
  if (row < 0 || row >= model_->rowCount()) return;
  const bool hadFields = model_->index(row).data().toString().contains(QLatin1Char('\t'));
  model_->setData(model_->index(row), line);
  if (hadFields || line.contains(QLatin1Char('\t'))) UpdateStops();
}

void CompareList::SetLines(const QStringList& lines) {
  model_->setStringList(lines);
  UpdateStops();
}

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
  delegate_->defaultStopPixels = qRound(kDefaultStopDialogUnits * DialogUnitPixels());
  UpdateStops();
}

void CompareList::UpdateStops() {
  std::vector<int> stops;
  if (!tabStops_.empty()) {
    const double unit = DialogUnitPixels();
    std::vector<int> minimum;
    for (int units : tabStops_) minimum.push_back(qRound(units * unit));
    std::vector<std::string> lines;
    for (const QString& line : model_->stringList()) lines.push_back(line.toStdString());
    const QFontMetrics metrics(font());
    stops = ColumnStops(lines, minimum, qRound(kReportColumnGap * kDialogUnitsPerCharacter * unit),
                        [&metrics](std::string_view field) {
                          return metrics.horizontalAdvance(QString::fromUtf8(
                              field.data(), static_cast<qsizetype>(field.size())));
                        });
  }
  if (stops == delegate_->stopPixels) return;
  delegate_->stopPixels = stops;
  viewport()->update();
}

std::vector<int> CompareList::TabStops() const { return tabStops_; }

std::vector<int> CompareList::TabStopPixels() const { return delegate_->stopPixels; }

std::vector<int> CompareList::FieldPositions(int row) const {
  const QString line = model_->index(row).data().toString();
  return delegate_->FieldPositions(line.split(QLatin1Char('\t')), QFontMetrics(font()));
}

}  // namespace tarnwick
