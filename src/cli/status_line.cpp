#include "cli/status_line.h"

#include <ostream>

#include "cli/terminal.h"

namespace tarnwick {

namespace {

// A terminal redrawn for every file slows a large run down; a few times a second is enough.
constexpr auto kRedrawInterval = std::chrono::milliseconds(50);

// Cut to the width at a character boundary, so the line never wraps and never ends in half
// of a UTF-8 sequence.
std::string FitToWidth(std::string text, std::size_t width) {
  // A line break inside a file name would end the line that is meant to be rewritten.
  for (char& c : text) {
    if (static_cast<unsigned char>(c) < 0x20) c = ' ';
  }
  if (text.size() <= width) return text;
  std::size_t end = width;
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  text.resize(end);
  return text;
}

}  // namespace

StatusLine::StatusLine(std::ostream& err, bool enabled, int columns)
    : err_(err),
      enabled_(enabled),
      width_(columns > 1 ? static_cast<std::size_t>(columns - 1) : 1) {}

void StatusLine::StatusChanged(const std::string& text) {
  if (!enabled_) return;
  pending_ = text;
  hasPending_ = true;
  Yield();
}

// Between files: the latest text is shown once the redraw interval has passed, so the line
// is never far behind the run.
void StatusLine::Yield() {
  if (!hasPending_) return;
  auto now = std::chrono::steady_clock::now();
  if (shownLength_ != 0 && now - lastShown_ < kRedrawInterval) return;
  lastShown_ = now;
  hasPending_ = false;
  Show(pending_);
}

bool StatusLine::CancelRequested() { return InterruptRequested(); }

void StatusLine::Clear() {
  hasPending_ = false;
  if (!enabled_ || shownLength_ == 0) return;
  err_ << '\r' << std::string(shownLength_, ' ') << '\r' << std::flush;
  shownLength_ = 0;
}

void StatusLine::Show(const std::string& text) {
  std::string line = FitToWidth(text, width_);
  // Spaces cover what is left of a longer line before; no terminal escapes are needed.
  std::size_t padding = shownLength_ > line.size() ? shownLength_ - line.size() : 0;
  err_ << '\r' << line << std::string(padding, ' ') << std::flush;
  shownLength_ = line.size() + padding;
}

}  // namespace tarnwick
