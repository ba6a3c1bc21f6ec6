#include "report/number_format.h"

#include <gtest/gtest.h>

namespace tarnwick {
namespace {

TEST(NumberFormatTest, PatternsZeroAndNegativeValues) {
  NumberFormat f;
  EXPECT_EQ(f.N1(1234567.0), "1,234,567");
  EXPECT_EQ(f.N1(976.5625), "977");
  EXPECT_EQ(f.N2(0.95367), ".95");
  EXPECT_EQ(f.N2(1.17737), "1.18");
  EXPECT_EQ(f.N3(999), "999");
  EXPECT_EQ(f.N4(0.95367), "0.95");
  EXPECT_EQ(f.N4(12345.678), "12,345.68");
  EXPECT_EQ(f.N1(0) + "|" + f.N2(0) + "|" + f.N3(0) + "|" + f.N4(0), "|.00|0|0.00");
  EXPECT_EQ(f.N1(-234567), "-234,567");
  EXPECT_EQ(f.N2(-0.22), "-.22");
  // A small negative value rounds to zero and shows as zero, without a lone minus sign.
  EXPECT_EQ(f.N1(-0.4) + "|" + f.N2(-0.004) + "|" + f.N3(-0.4), "|.00|0");
  EXPECT_EQ(f.N1(9223372036854775807.0), "9,223,372,036,854,775,808");
  EXPECT_EQ(f.N1(1e21), "1,000,000,000,000,000,000,000");
}

TEST(NumberFormatTest, HalvesRoundAwayFromZeroOnTheExactValue) {
  NumberFormat f;
  EXPECT_EQ(f.N1(2.5), "3");
  EXPECT_EQ(f.N1(-2.5), "-3");
  EXPECT_EQ(f.N2(0.125), ".13");
  EXPECT_EQ(f.N2(-0.125), "-.13");
  // Both times 100 give an exact half in doubles, but 0.015 is stored a little below 0.015
  // and 0.025 a little above.
  EXPECT_EQ(f.N2(0.015), ".01");
  EXPECT_EQ(f.N2(0.025), ".03");
}

TEST(NumberFormatTest, UsesTheMarksItIsGiven) {
  NumberFormat german(".", ",");
  EXPECT_EQ(german.N1(1234567.0), "1.234.567");
  EXPECT_EQ(german.N2(0.95367), ",95");
  EXPECT_EQ(german.N4(1234.5), "1.234,50");
  NumberFormat french("\xE2\x80\xAF", ",");  // narrow no-break space, three bytes
  EXPECT_EQ(french.N3(1234567.0),
            "1\xE2\x80\xAF"
            "234\xE2\x80\xAF"
            "567");
}

}  // namespace
}  // namespace tarnwick
