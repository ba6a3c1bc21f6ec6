#pragma once

#include <QCheckBox>
#include <cstdint>

namespace tarnwick {

// A bare option box (its caption is a label beside it) holding the stored state 0 (off),
// 1 (on) or 2 (greyed, on as well). Greyed only comes from a hand-edited settings file: a
// click toggles between off and on, and from greyed goes to on.
class OptionCheckBox : public QCheckBox {
  Q_OBJECT

 public:
  explicit OptionCheckBox(const QString& objectName, QWidget* parent = nullptr);

  std::int16_t State() const;
  // Shows the state without running any handler; values outside 0 to 2 never reach here.
  void SetState(std::int16_t state);
  bool IsOn() const { return State() != 0; }

 protected:
  void nextCheckState() override;
};

}  // namespace tarnwick
