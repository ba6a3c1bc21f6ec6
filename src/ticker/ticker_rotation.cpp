#include "ticker/ticker_rotation.h"

#include <utility>

#include "base/text.h"

namespace tarnwick {

TickerRotation::TickerRotation(int boxWidth, int boxHeight)
    : boxWidth_(boxWidth), boxHeight_(boxHeight) {
  ResetGeometry();
}

void TickerRotation::ResetGeometry() {
  for (TickerLabel& label : labels_) {
    label.left = 0;
    label.width = boxWidth_;
    label.height = boxHeight_;
  }
}

void TickerRotation::LoadItems(std::vector<TickerItem> items) {
  ResetGeometry();
  items_ = std::move(items);
  tickerIndex_ = 0;
}

void TickerRotation::ClearItems() {
  ResetGeometry();
  items_.clear();
}

void TickerRotation::ShowNextTickerItem() {
  TickerLabel& current = labels_[0];
  TickerLabel& outgoing = labels_[1];
  // The outgoing label keeps its own underline and tag: only caption and colour move over.
  outgoing.caption = current.caption;
  outgoing.colour = current.colour;
  outgoing.top = 0;
  current.top = outgoing.height + kTickerEntryGap;

  // Past the end (not only at it), so a position kept over an emptied list cannot overrun.
  if (tickerIndex_ >= items_.size()) tickerIndex_ = 0;
  const TickerItem item = items_.empty() ? TickerItem{} : items_[tickerIndex_];
  current.caption = item.caption;
  current.tag = item.link;
  current.colour = item.highlighted ? kTickerHighlightColour : kTickerNormalColour;
  current.underlined = item.HasLink();
  if (!items_.empty()) ++tickerIndex_;
  tickerTimerRunning_ = true;
}

bool TickerRotation::TickerTimerTick() {
  if (!tickerTimerRunning_) return false;
  labels_[0].top -= kTickerScrollStep;
  labels_[1].top -= kTickerScrollStep;
  if (labels_[0].top < kTickerRestTop) {
    labels_[0].top = kTickerRestTop;
    tickerTimerRunning_ = false;
  }
  return tickerTimerRunning_;
}

std::optional<std::string> TickerRotation::ClickTarget(int index) const {
  // Blanks around a link would only make the address fail to open.
  const std::string_view address = TrimSpaces(labels_[0].tag);
  if (index != 0 || address.empty()) return std::nullopt;
  return std::string(address);
}

}  // namespace tarnwick
