#include "shell/option_check_box.h"

namespace tarnwick {

OptionCheckBox::OptionCheckBox(const QString& objectName, QWidget* parent) : QCheckBox(parent) {
  setObjectName(objectName);
  setTristate(true);
}

std::int16_t OptionCheckBox::State() const {
  switch (checkState()) {
    case Qt::Unchecked:
      return 0;
    case Qt::Checked:
      return 1;
    case Qt::PartiallyChecked:
      return 2;
  }
  return 0;
}

void OptionCheckBox::SetState(std::int16_t state) {
  setCheckState(state == 0 ? Qt::Unchecked : state == 2 ? Qt::PartiallyChecked : Qt::Checked);
}

void OptionCheckBox::nextCheckState() {
  setCheckState(checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
}

}  // namespace tarnwick
