#include "shell/panel_title.h"

#include <QLabel>

#include "shell/twips.h"

namespace tarnwick {

namespace {
constexpr int kShadowOffsetTwips = 45;
}

PanelTitle::PanelTitle(QWidget* panel, const QString& objectName, const QString& caption, int left,
                       int top) {
  for (int i = 0; i < 2; ++i) {
    auto* label = new QLabel(caption, panel);
    label->setObjectName(objectName);
    label->setProperty("index", i);
    QFont f = label->font();
    f.setPointSizeF(f.pointSizeF() * 1.9);
    f.setBold(true);
    label->setFont(f);
    label->setStyleSheet(i == 0 ? QStringLiteral("color: #2c4a70;")
                                : QStringLiteral("color: #b7c3d2;"));
    label->adjustSize();
    const int shift = i == 0 ? 0 : Twips(kShadowOffsetTwips);
    label->move(left + shift, top + shift);
    labels_[i] = label;
  }
  labels_[1]->lower();
}

}  // namespace tarnwick
