#include "shell/clickable_label_accessible.h"

#include "shell/clickable_label.h"

namespace tarnwick {

namespace {

QAccessibleInterface* Factory(const QString& className, QObject* object) {
  if (className != QLatin1String(ClickableLabel::staticMetaObject.className())) return nullptr;
  auto* label = qobject_cast<ClickableLabel*>(object);
  return label ? new ClickableLabelAccessible(label) : nullptr;
}

}  // namespace

ClickableLabelAccessible::ClickableLabelAccessible(ClickableLabel* label)
    : QAccessibleWidget(label, QAccessible::StaticText) {}

void ClickableLabelAccessible::Install() {
  static const bool installed = [] {
    QAccessible::installFactory(Factory);
    return true;
  }();
  static_cast<void>(installed);
}

ClickableLabel* ClickableLabelAccessible::Label() const {
  return static_cast<ClickableLabel*>(widget());
}

QAccessible::Role ClickableLabelAccessible::role() const {
  const ClickableLabel* label = Label();
  // Only a label that offers the click says so; the status line between runs is plain text.
  if (label->cursor().shape() != Qt::PointingHandCursor && !label->IsLinkStyle())
    return QAccessible::StaticText;
  return label->text().isEmpty() ? QAccessible::Button : QAccessible::Link;
}

QAccessible::State ClickableLabelAccessible::state() const {
  QAccessible::State s = QAccessibleWidget::state();
  if (role() == QAccessible::Link) s.linked = true;
  return s;
}

QString ClickableLabelAccessible::text(QAccessible::Text kind) const {
  QString result = QAccessibleWidget::text(kind);
  if (kind != QAccessible::Name || !result.isEmpty()) return result;
  const ClickableLabel* label = Label();
  result = label->text().simplified();
  return result.isEmpty() ? label->toolTip() : result;
}

QStringList ClickableLabelAccessible::actionNames() const {
  if (role() == QAccessible::StaticText) return {};
  return {pressAction()};
}

void ClickableLabelAccessible::doAction(const QString& action) {
  if (action == pressAction()) Label()->Activate();
}

}  // namespace tarnwick
