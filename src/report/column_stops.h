#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {

// Measures a field in the unit the stops are given in (pixels in a window, characters on a
// terminal).
using FieldWidth = std::function<int(std::string_view)>;

// Where the columns of tab-separated lines start, so that a column is never narrower than its
// widest field and two fields never touch. Column 0 runs from 0 to the first stop, column i
// from stop i-1 to stop i. Each column keeps at least its width under minimumStops; a field
// followed by another on its line needs its own width plus gap, and a column that must widen
// for it pushes every later stop right by as much. The last field of a line may run on past
// its column (a path, a sentence), so it never widens one. With grid above 1, every stop is
// rounded up to a multiple of it (a terminal's tab every 8 characters). There are as many
// stops as minimumStops, or as the line with most fields needs, whichever is more.
std::vector<int> ColumnStops(const std::vector<std::string>& lines,
                             const std::vector<int>& minimumStops, int gap, const FieldWidth& width,
                             int grid = 1);

// The fields of one line, split at each tab.
std::vector<std::string_view> SplitFields(std::string_view line);

// A line laid out for a terminal whose tabs stop every `grid` characters: each field but the
// last is padded with blanks so that the tab after it lands on the field's column stop. The
// fields stay separated by one tab each.
std::string PadToStops(std::string_view line, const std::vector<int>& stops, int grid,
                       const FieldWidth& width);

// The width of a UTF-8 text in characters (code points), for a terminal.
int CharacterCount(std::string_view text);

}  // namespace tarnwick
