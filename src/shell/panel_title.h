#pragma once

#include <QString>
#include <array>

class QLabel;
class QWidget;

namespace tarnwick {

// A panel's heading: the caption twice, the second copy a little right and down in a darker
// colour behind the first, as a shadow.
class PanelTitle {
 public:
  PanelTitle(QWidget* panel, const QString& objectName, const QString& caption, int left, int top);

  QLabel* Label(int index) const { return labels_[index]; }

 private:
  std::array<QLabel*, 2> labels_{};
};

}  // namespace tarnwick
