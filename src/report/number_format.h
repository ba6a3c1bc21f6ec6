#pragma once

#include <string>

namespace tarnwick {

// The number patterns of the comparison report, written with the grouping separator and
// decimal mark the caller passes (the window takes them from the user's locale):
//   N1 "###,###,###,###"  whole numbers, zero prints as nothing
//   N2 "###,###,###.00"   two decimals, no digit before the mark below one (".95")
//   N3 "###,###,###,##0"  whole numbers, zero prints as "0"
//   N4 "###,###,##0.00"   two decimals, zero prints as "0.00"
// Values are rounded to the digits shown, halves away from zero (2.5 shows as 3); negative
// values get a leading minus sign, but a value that rounds to zero shows as zero.
class NumberFormat {
 public:
  NumberFormat() = default;  // English marks
  NumberFormat(std::string groupSeparator, std::string decimalMark);

  std::string N1(double value) const;
  std::string N2(double value) const;
  std::string N3(double value) const;
  std::string N4(double value) const;

  // The general form behind the four patterns.
  std::string Format(double value, int decimals, bool integerDigitRequired) const;


 private:
  std::string groupSeparator_ = ",";
  std::string decimalMark_ = ".";
};

}  // namespace tarnwick
