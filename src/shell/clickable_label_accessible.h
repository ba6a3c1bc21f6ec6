#pragma once

#include <QAccessibleWidget>

namespace tarnwick {

class ClickableLabel;

// What a screen reader learns of a clickable label: a link, or a button for a picture, named
// by its accessible name, its text or its tool tip, and pressed as a click would.
class ClickableLabelAccessible : public QAccessibleWidget {
 public:
  explicit ClickableLabelAccessible(ClickableLabel* label);

  // Puts the factory in place for the process; once is enough, more does no harm.
  static void Install();

  QAccessible::Role role() const override;
  QAccessible::State state() const override;
  QString text(QAccessible::Text kind) const override;
  QStringList actionNames() const override;
  void doAction(const QString& action) override;

 private:
  ClickableLabel* Label() const;
};

}  // namespace tarnwick
