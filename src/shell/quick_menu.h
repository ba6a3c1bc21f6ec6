#pragma once

#include <QPoint>
#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>

class QLabel;
class QTimer;
class QToolButton;

namespace tarnwick {

class ClickableLabel;

// The quick-menu strip at the window's left edge: seven icon items, the marker at the item of
// the visible panel, the raised hover button, and the name and logo that take turns at the
// bottom. What a selection shows is the window's business; the strip reports the choice.
class QuickMenu : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kItemCount = 7;
  static constexpr int kStripWidthTwips = 855;
  static constexpr int kStripHeightTwips = 6135;
  static constexpr int kItemLeftTwips = 120;
  static constexpr int kItemSizeTwips = 480;
  static constexpr int kMarkerWidthTwips = 780;
  static constexpr int kMarkerHeightTwips = 615;
  static constexpr int kMarkerRaiseTwips = 80;
  static constexpr int kHoverReachPixels = 60;
  static constexpr int kTimerIntervalMs = 500;

  explicit QuickMenu(QWidget* parent = nullptr);

  // Item tool-tip texts and tops (twips) by index; Feedback (6) stands above Donate (5).
  static QString ItemToolTip(int index);
  static int ItemTopTwips(int index);
  // The indexes as the items stand, top to bottom.
  static constexpr int kItemsTopDown[kItemCount] = {0, 1, 2, 3, 4, 6, 5};
  // What choosing an item does and its key, for screen readers.
  static QString ItemDescription(int index);
  // The n of Ctrl+n that shows the item's panel; 0 for Help, which has F1.
  static int ShortcutNumber(int index);

  // The top of the marker or hover button over an item, in pixels.
  int MarkTop(int index) const;

  void MarkSelected(int index);
  void HideSelector();
  void SetItemEnabled(int index, bool enabled);

  void UpdateMenuHover(int index);
  void tmrQuickMenu_Timer();

  std::int32_t HoverIndex() const { return HoverIndex_; }

  // Where the pointer is on the screen; tests may move it without a real pointer.
  std::function<QPoint()> CursorPosition;

 signals:
  // An item was clicked, or the hover button with HoverIndex.
  void ItemChosen(int index);

 protected:
  void paintEvent(QPaintEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void PlaceBottom();

  QLabel* lblQMenuTop;
  std::array<ClickableLabel*, kItemCount> Qmenu{};
  QLabel* QmenuSelected;
  QToolButton* QmenuSelector;
  QLabel* lblQMenuBottom;
  QLabel* imgQMenuBottom;
  QTimer* tmrQuickMenu;

  std::int32_t HoverIndex_ = 0;
};

}  // namespace tarnwick
