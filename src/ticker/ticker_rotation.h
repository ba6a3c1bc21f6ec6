#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "ticker/ticker_text.h"

namespace tarnwick {

// Geometry of the ticker box and its scroll, in twips (15 to a pixel at 96 dots per inch).
inline constexpr int kTickerBoxWidth = 6615;
inline constexpr int kTickerBoxHeight = 350;
inline constexpr int kTickerEntryGap = 10;        // an incoming item starts this far below the box
inline constexpr int kTickerScrollStep = 25;      // per tick of TickerTimer
inline constexpr int kTickerRestTop = 40;         // where an item comes to rest
inline constexpr int kTickerTimerInterval = 100;  // milliseconds

struct TickerColour {
  int red = 0;
  int green = 0;
  int blue = 0;
  bool operator==(const TickerColour&) const = default;
};
inline constexpr TickerColour kTickerNormalColour{255, 255, 128};  // light yellow
inline constexpr TickerColour kTickerHighlightColour{255, 0, 0};

// What one of the two ticker labels shows. Label 0 holds the current item, label 1 the one
// scrolling out; the tag is the item's link.
struct TickerLabel {
  std::string caption;
  std::string tag;
  TickerColour colour = kTickerNormalColour;
  bool underlined = false;
  int left = 0;
  int top = 0;
  int width = kTickerBoxWidth;
  int height = kTickerBoxHeight;
};

// The ticker's item list and the two labels that scroll through the box. A window draws the
// labels after every call and runs a 100 ms timer until TickerTimerTick() answers false.
class TickerRotation {
 public:
  explicit TickerRotation(int boxWidth = kTickerBoxWidth, int boxHeight = kTickerBoxHeight);

  // A load: both labels back to the box's left edge and size, the list replaced, and the
  // rotation restarted at the first item.
  void LoadItems(std::vector<TickerItem> items);
  // A load that found no ticker file: the list emptied; the position is left as it was.
  void ClearItems();

  // The next item comes in below the box while the current one moves to the top to scroll
  // out; starts the scroll.
  void ShowNextTickerItem();

  // One tick of the scroll: both labels move up; the incoming one stops at its rest place.
  // Returns whether the scroll goes on.
  bool TickerTimerTick();

  // The address a click on label index opens, or nothing. Only the current item's label
  // opens anything; the outgoing one never does.
  std::optional<std::string> ClickTarget(int index) const;

  const TickerLabel& Label(int index) const { return labels_[index == 0 ? 0 : 1]; }
  const std::vector<TickerItem>& Items() const { return items_; }
  // Position of the next item to show, counted from 0.

 private:
  void ResetGeometry();

  int boxWidth_;
  int boxHeight_;
  TickerLabel labels_[2];
  std::vector<TickerItem> items_;
  std::size_t tickerIndex_ = 0;
  bool tickerTimerRunning_ = false;
};

}  // namespace tarnwick
