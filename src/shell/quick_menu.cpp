#include "shell/quick_menu.h"

#include <QCursor>
#include <QKeyEvent>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <iterator>

#include "shell/clickable_label.h"
#include "shell/pictures.h"
#include "shell/twips.h"

namespace tarnwick {

namespace {

struct ItemInfo {
  const char* toolTip;
  int topTwips;
};

// By index. Feedback (6) is placed above Donate (5).
constexpr ItemInfo kItems[QuickMenu::kItemCount] = {
    {"Start Converting", 840}, {"Compare", 1440}, {"Settings", 2040}, {"Help", 2640},
    {"About", 3240},           {"Donate", 4440},  {"Feedback", 3840},
};

}  // namespace

QString QuickMenu::ItemToolTip(int index) {
  if (index < 0 || index >= kItemCount) return {};
  return QString::fromLatin1(kItems[index].toolTip);
}

int QuickMenu::ItemTopTwips(int index) {
  if (index < 0 || index >= kItemCount) return 0;
  return kItems[index].topTwips;
}

QuickMenu::QuickMenu(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("OutlookBar"));
  setFixedWidth(Twips(kStripWidthTwips));
  setMinimumHeight(Twips(kStripHeightTwips));
  CursorPosition = [] { return QCursor::pos(); };

  lblQMenuTop = new QLabel(QStringLiteral(" Quick Menu"), this);
  lblQMenuTop->setObjectName(QStringLiteral("lblQMenuTop"));
  lblQMenuTop->setGeometry(0, 8, width(), 22);
  lblQMenuTop->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
  lblQMenuTop->setStyleSheet(QStringLiteral("color: #dce6f2; font-size: 7pt;"));

  // The marker sits below the items, the hover button above them.
  QmenuSelected = new QLabel(this);
  QmenuSelected->setObjectName(QStringLiteral("QmenuSelected"));
  QmenuSelected->setPixmap(Pictures::SelectionMarker());
  QmenuSelected->resize(Twips(kMarkerWidthTwips), Twips(kMarkerHeightTwips));
  QmenuSelected->move(0, MarkTop(0));

  for (int i = 0; i < kItemCount; ++i) {
    auto* item = new ClickableLabel(QStringLiteral("Qmenu"), this);
    item->setProperty("index", i);
    item->setPixmap(Pictures::QuickMenuIcon(i));
    item->setToolTip(ItemToolTip(i));
    item->setGeometry(Twips(kItemLeftTwips), Twips(ItemTopTwips(i)), Twips(kItemSizeTwips),
                      Twips(kItemSizeTwips));
    item->setCursor(Qt::PointingHandCursor);
    item->setAccessibleName(ItemToolTip(i));
    item->setAccessibleDescription(ItemDescription(i));
    // Each item is a stop of the keyboard: Enter or Space chooses it, the arrows go along.
    item->setFocusPolicy(Qt::StrongFocus);
    item->installEventFilter(this);
    connect(item, &ClickableLabel::Clicked, this, [this, i] { emit ItemChosen(i); });
    connect(item, &ClickableLabel::PointerMoved, this, [this, i] { UpdateMenuHover(i); });
    Qmenu[i] = item;
  }

  // Tab goes down the strip as it is seen, Feedback before Donate.
  for (int i = 1; i < kItemCount; ++i)
    setTabOrder(Qmenu[kItemsTopDown[i - 1]], Qmenu[kItemsTopDown[i]]);

  QmenuSelector = new QToolButton(this);
  QmenuSelector->setObjectName(QStringLiteral("QmenuSelector"));
  QmenuSelector->resize(Twips(kMarkerWidthTwips), Twips(kMarkerHeightTwips));
  QmenuSelector->setIconSize(QSize(Twips(kItemSizeTwips), Twips(kItemSizeTwips)));
  QmenuSelector->setCursor(Qt::PointingHandCursor);
  // The pointer's double of the item under it; the keyboard has the items themselves.
  QmenuSelector->setFocusPolicy(Qt::NoFocus);
  QmenuSelector->setAccessibleName(ItemToolTip(0));
  QmenuSelector->setStyleSheet(QStringLiteral(
      "QToolButton { border: 1px solid rgba(255,255,255,110); border-radius: 7px;"
      " background: qlineargradient(x1:0,y1:0,x2:0,y2:1, stop:0 rgba(255,255,255,70),"
      " stop:1 rgba(255,255,255,20)); }"
      "QToolButton:pressed { background: rgba(0,0,0,60); border-color: rgba(255,255,255,70); }"));
  QmenuSelector->hide();
  connect(QmenuSelector, &QToolButton::clicked, this,
          [this] { emit ItemChosen(static_cast<std::int16_t>(HoverIndex_)); });

  lblQMenuBottom = new QLabel(QStringLiteral("Tarnwick"), this);
  lblQMenuBottom->setObjectName(QStringLiteral("lblQMenuBottom"));
  lblQMenuBottom->setAlignment(Qt::AlignCenter);
  lblQMenuBottom->setStyleSheet(
      QStringLiteral("color: #f4f7fb; font-size: 8pt; font-weight: 700;"));
  imgQMenuBottom = new QLabel(this);
  imgQMenuBottom->setObjectName(QStringLiteral("imgQMenuBottom"));
  imgQMenuBottom->setPixmap(Pictures::Logo());
  imgQMenuBottom->setAlignment(Qt::AlignCenter);
  imgQMenuBottom->hide();
  PlaceBottom();

  tmrQuickMenu = new QTimer(this);
  tmrQuickMenu->setObjectName(QStringLiteral("tmrQuickMenu"));
  tmrQuickMenu->setInterval(kTimerIntervalMs);
  connect(tmrQuickMenu, &QTimer::timeout, this, &QuickMenu::tmrQuickMenu_Timer);
  tmrQuickMenu->start();
}

QString QuickMenu::ItemDescription(int index) {
  if (index == 3) return QStringLiteral("Opens the help (F1)");
  const int key = ShortcutNumber(index);
  if (key == 0) return {};
  return QStringLiteral("Shows the %1 panel (Ctrl+%2)").arg(ItemToolTip(index)).arg(key);
}

int QuickMenu::ShortcutNumber(int index) {
  // Ctrl+1 to Ctrl+6 follow the panels' items from top to bottom; Help has F1.
  int number = 0;
  for (int i : kItemsTopDown) {
    if (i == 3) continue;
    ++number;
    if (i == index) return number;
  }
  return 0;
}

bool QuickMenu::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return QWidget::eventFilter(watched, event);
  const auto* key = static_cast<QKeyEvent*>(event);
  int step = 0;
  if (key->key() == Qt::Key_Down || key->key() == Qt::Key_Right) step = 1;
  if (key->key() == Qt::Key_Up || key->key() == Qt::Key_Left) step = -1;
  if (step == 0 && key->key() != Qt::Key_Home && key->key() != Qt::Key_End)
    return QWidget::eventFilter(watched, event);
  // Along the strip as it is seen, over the items that cannot be chosen now.
  const auto* at = std::find(Qmenu.begin(), Qmenu.end(), watched);
  if (at == Qmenu.end()) return false;
  const int current = static_cast<int>(
      std::find(std::begin(kItemsTopDown), std::end(kItemsTopDown), at - Qmenu.begin()) -
      std::begin(kItemsTopDown));
  int position = current;
  if (step == 0) {
    position = key->key() == Qt::Key_Home ? -1 : kItemCount;
    step = key->key() == Qt::Key_Home ? 1 : -1;
  }
  for (int tries = 0; tries < kItemCount; ++tries) {
    position = (position + step + kItemCount) % kItemCount;
    ClickableLabel* item = Qmenu[kItemsTopDown[position]];
    if (item->isEnabled()) {
      item->setFocus(Qt::TabFocusReason);
      break;
    }
  }
  return true;
}

int QuickMenu::MarkTop(int index) const { return Twips(ItemTopTwips(index) - kMarkerRaiseTwips); }

void QuickMenu::MarkSelected(int index) {
  if (index < 0 || index >= kItemCount) return;
  QmenuSelected->move(QmenuSelected->x(), MarkTop(index));
}

void QuickMenu::HideSelector() { QmenuSelector->hide(); }

void QuickMenu::SetItemEnabled(int index, bool enabled) {
  if (index < 0 || index >= kItemCount) return;
  Qmenu[index]->setEnabled(enabled);
  if (!enabled && HoverIndex_ == index) QmenuSelector->hide();
}

void QuickMenu::UpdateMenuHover(int index) {
  if (index < 0 || index >= kItemCount) return;
  // A disabled item offers nothing to click: no raised button over it.
  if (!Qmenu[index]->isEnabled()) {
    QmenuSelector->hide();
    return;
  }
  HoverIndex_ = index;
  QmenuSelector->move(0, MarkTop(index));
  QmenuSelector->setVisible(QmenuSelected->y() != QmenuSelector->y());
  QmenuSelector->setIcon(QIcon(Pictures::QuickMenuIcon(index)));
  QmenuSelector->setToolTip(ItemToolTip(index));
  QmenuSelector->setAccessibleName(ItemToolTip(index));
  QmenuSelector->raise();
}

void QuickMenu::tmrQuickMenu_Timer() {
  const QWidget* form = window();
  const int leftEdge = form ? form->frameGeometry().x() : 0;
  if (CursorPosition().x() - leftEdge > kHoverReachPixels) QmenuSelector->hide();
  lblQMenuBottom->setVisible(!lblQMenuBottom->isVisibleTo(this));
  imgQMenuBottom->setVisible(!lblQMenuBottom->isVisibleTo(this));
}

void QuickMenu::PlaceBottom() {
  const QRect bottom(0, height() - 52, width(), 46);
  lblQMenuBottom->setGeometry(bottom);
  imgQMenuBottom->setGeometry(bottom);
}

void QuickMenu::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  lblQMenuTop->setGeometry(0, 8, width(), 22);
  PlaceBottom();
}

void QuickMenu::paintEvent(QPaintEvent*) {
  QPainter p(this);
  QLinearGradient g(0, 0, 0, height());
  g.setColorAt(0, Pictures::StripTop());
  g.setColorAt(1, Pictures::StripBottom());
  p.fillRect(rect(), g);
  // A hairline under the heading and a darker right edge against the content area.
  p.setPen(QColor(255, 255, 255, 40));
  p.drawLine(8, 34, width() - 8, 34);
  p.setPen(QColor(0, 0, 0, 90));
  p.drawLine(width() - 1, 0, width() - 1, height());
}

}  // namespace tarnwick
