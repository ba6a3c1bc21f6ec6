#include "report/number_format.h"

#include <gtest/gtest.h>

namespace tarnwick {
namespace {

TEST(NumberFormatTest, PatternsAsTheReportShowsThem) {
  NumberFormat english;
  EXPECT_EQ(english.N1(1234567.0), "1,234,567");
  EXPECT_EQ(english.N1(976.5625), "977");
  EXPECT_EQ(english.N1(999.4), "999");
  EXPECT_EQ(english.N2(0.95367), ".95");
  EXPECT_EQ(english.N2(1.17737), "1.18");
  EXPECT_EQ(english.N2(1234.5), "1,234.50");
  EXPECT_EQ(english.N3(1234567.0), "1,234,567");
  EXPECT_EQ(english.N3(100), "100");
  EXPECT_EQ(english.N4(0.95367), "0.95");
  EXPECT_EQ(english.N4(12345.678), "12,345.68");
}

TEST(NumberFormatTest, ZeroAndValuesThatRoundToZero) {
  NumberFormat english;
  EXPECT_EQ(english.N1(0), "");
  EXPECT_EQ(english.N2(0), ".00");
  EXPECT_EQ(english.N3(0), "0");
  EXPECT_EQ(english.N4(0), "0.00");
  // No lone minus sign for a small negative value.
  EXPECT_EQ(english.N1(-0.4), "");
  EXPECT_EQ(english.N3(-0.4), "0");
  EXPECT_EQ(english.N2(-0.004), ".00");
  EXPECT_EQ(english.N4(0.002), "0.00");
}

TEST(NumberFormatTest, NegativeValuesGetALeadingMinus) {
  NumberFormat english;
  EXPECT_EQ(english.N1(-234567), "-234,567");
  EXPECT_EQ(english.N2(-0.22), "-.22");
  EXPECT_EQ(english.N3(-2), "-2");
  EXPECT_EQ(english.N4(-1048576.0 / 1024 / 1024), "-1.00");
}

TEST(NumberFormatTest, HalvesRoundAwayFromZeroOnTheExactValue) {
  NumberFormat english;
  EXPECT_EQ(english.N1(2.5), "3");
  EXPECT_EQ(english.N1(-2.5), "-3");
  EXPECT_EQ(english.N3(0.5), "1");
  EXPECT_EQ(english.N2(0.125), ".13");
  EXPECT_EQ(english.N2(-0.125), "-.13");
  // 0.015 is stored a little below 0.015, 0.025 a little above, though both times 100 give
  // an exact half in doubles.
  EXPECT_EQ(english.N2(0.015), ".01");
  EXPECT_EQ(english.N2(0.025), ".03");
  EXPECT_EQ(english.N4(2.675), "2.67");
}

TEST(NumberFormatTest, GroupsLargeNumbers) {
  NumberFormat english;
  EXPECT_EQ(english.N1(9223372036854775807.0), "9,223,372,036,854,775,808");
  EXPECT_EQ(english.N1(1e21), "1,000,000,000,000,000,000,000");
  EXPECT_EQ(english.N3(999), "999");
  EXPECT_EQ(english.N3(1000), "1,000");
  EXPECT_EQ(english.N2(5000000000.0 / 1024 / 1024), "4,768.37");
}

TEST(NumberFormatTest, UsesTheMarksItIsGiven) {
  NumberFormat german(".", ",");
  EXPECT_EQ(german.N1(1234567.0), "1.234.567");
  EXPECT_EQ(german.N2(1.17737), "1,18");
  EXPECT_EQ(german.N2(0.95367), ",95");
  EXPECT_EQ(german.N4(1234.5), "1.234,50");
  // A separator of several bytes (a narrow no-break space in UTF-8).
  NumberFormat french("\xE2\x80\xAF", ",");
  EXPECT_EQ(french.N3(1234567.0),
            "1\xE2\x80\xAF"
            "234\xE2\x80\xAF"
            "567");
}

}  // namespace
}  // namespace tarnwick
