#include "report/column_stops.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tarnwick {
namespace {

int Length(std::string_view text) { return static_cast<int>(text.size()); }

TEST(ColumnStopsTest, ColumnsWidenForTheirWidestFollowedFieldAndPushTheRest) {
  const struct {
    const char* name;
    std::vector<std::string> lines;
    std::vector<int> minimum;
    int grid;
    std::vector<int> expected;
  } cases[] = {
      {"short fields keep the minimum", {"ab\tcd\tef", "\tx"}, {10, 20}, 1, {10, 20}},
      {"a wide label pushes every later stop", {"abcdefghij\tx\ty"}, {10, 20}, 1, {12, 22}},
      {"a wide value widens only its own column",
       {"a\t123456789012\ty\tz"},
       {4, 8, 12},
       1,
       {4, 18, 22}},
      {"the last field of a line runs on", {"a\tvery long last field", "b"}, {10, 20}, 1, {10, 20}},
      {"an empty field still keeps the gap", {"\t\tx"}, {}, 1, {2, 4}},
      {"more fields than stops", {"a\tbb\tccc\td"}, {10}, 1, {10, 14, 19}},
      {"stops on a terminal's tab grid", {"abcdefghijklmnop\tx\ty"}, {18, 28}, 8, {24, 40}},
      {"a stop already on the grid stays", {"abcdef\tx"}, {}, 8, {8}},
      {"no lines", {}, {72, 112}, 1, {72, 112}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ColumnStops(c.lines, c.minimum, 2, Length, c.grid), c.expected) << c.name;
  EXPECT_EQ(CharacterCount("Größe"), 5);  // a terminal's width of a UTF-8 name
}

}  // namespace
}  // namespace tarnwick
