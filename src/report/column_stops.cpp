#include "report/column_stops.h"

#include <algorithm>

namespace tarnwick {

namespace {

int RoundUp(int value, int grid) { return grid > 1 ? (value + grid - 1) / grid * grid : value; }

}  // namespace

std::vector<std::string_view> SplitFields(std::string_view line) {
  std::vector<std::string_view> fields;
  std::size_t start = 0;
  for (;;) {
    const std::size_t tab = line.find('\t', start);
    fields.push_back(line.substr(start, tab == std::string_view::npos ? tab : tab - start));
    if (tab == std::string_view::npos) return fields;
    start = tab + 1;
  }
}

std::vector<int> ColumnStops(const std::vector<std::string>& lines,
                             const std::vector<int>& minimumStops, int gap, const FieldWidth& width,
                             int grid) {
  // need[i]: the widest field of column i that another field follows, plus the gap.
  std::vector<int> need;
  for (const std::string& line : lines) {
    const std::vector<std::string_view> fields = SplitFields(line);
    if (need.size() + 1 < fields.size()) need.resize(fields.size() - 1, 0);
    for (std::size_t i = 0; i + 1 < fields.size(); ++i)
      need[i] = std::max(need[i], width(fields[i]) + gap);
  }
  const std::size_t count = std::max(need.size(), minimumStops.size());
  std::vector<int> stops(count);
  int previousStop = 0;
  int previousMinimum = 0;
  for (std::size_t i = 0; i < count; ++i) {
    int columnWidth = i < need.size() ? need[i] : 0;
    if (i < minimumStops.size()) {
      columnWidth = std::max(columnWidth, minimumStops[i] - previousMinimum);
      previousMinimum = minimumStops[i];
    }
    previousStop = RoundUp(previousStop + columnWidth, grid);
    stops[i] = previousStop;
  }
  return stops;
}

std::string PadToStops(std::string_view line, const std::vector<int>& stops, int grid,
                       const FieldWidth& width) {
  grid = std::max(grid, 1);
  const std::vector<std::string_view> fields = SplitFields(line);
  std::string out;
  int column = 0;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    out.append(fields[i]);
    column += width(fields[i]);
    if (i + 1 == fields.size()) break;
    // A tab from column c goes to the next multiple of the grid beyond c; blanks bring c up
    // to the last position from which that is the stop.
    if (i < stops.size() && column < stops[i] - grid) {
      out.append(static_cast<std::size_t>(stops[i] - grid - column), ' ');
      column = stops[i] - grid;
    }
    out += '\t';
    column = (column / grid + 1) * grid;
  }
  return out;
}

int CharacterCount(std::string_view text) {
  int count = 0;
  for (unsigned char c : text)
    if ((c & 0xC0) != 0x80) ++count;
  return count;
}

}  // namespace tarnwick
