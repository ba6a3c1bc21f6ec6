#pragma once

#include <QListView>
#include <QStringList>
#include <vector>

class QStringListModel;

namespace tarnwick {

class TabStopDelegate;

// The comparison list: lines whose tab-separated fields line up at fixed stops, and a fixed
// horizontal scroll width, as the report's columns need.
class CompareList : public QListView {
  Q_OBJECT

 public:
  explicit CompareList(const QString& objectName, QWidget* parent = nullptr);

  void Clear();
  void AddLine(const QString& line);
  void SetLine(int row, const QString& line);
  void SetLines(const QStringList& lines);
  QStringList Lines() const;

  // The width in pixels that the list scrolls over horizontally.
  void SetHorizontalExtent(int pixels);
  int HorizontalExtent() const;

  // Tab stops in dialog units (a quarter of the font's average character width each); an
  // empty list gives the default stop every 32 units. A column whose values are wider than
  // its stops allow widens, and pushes the later stops right.
  void SetTabStops(const std::vector<int>& dialogUnits);
  std::vector<int> TabStops() const;
  // The stops in pixels for this list's font and its lines.
  std::vector<int> TabStopPixels() const;
  // Where each field of a line starts, in pixels from the line's text origin.
  std::vector<int> FieldPositions(int row) const;
  // A quarter of the font's average character width, in pixels.
  double DialogUnitPixels() const;

 protected:
  bool viewportEvent(QEvent* event) override;

 private:
  void UpdateStops();

  QStringListModel* model_;
  TabStopDelegate* delegate_;
  std::vector<int> tabStops_;
};

}  // namespace tarnwick
