#include "report/number_format.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <utility>

namespace tarnwick {

namespace {

// Rounds value * 10^decimals to a whole number, halves away from zero (2.5 kilobytes show as
// 3, -2.5 as -3), the way the platform's number formatting has always rounded for users.
// The decision is taken on the exact value, not on the product rounded to a double: 0.015 is
// stored as slightly less than 0.015, so it shows as .01, while 0.125 is exact and shows .13.
double RoundScaled(double value, int decimals) {
  double factor = 1;
  for (int i = 0; i < decimals; ++i) factor *= 10;
  double scaled = value * factor;
  double rounded = std::round(scaled);
  if (decimals > 0 && std::fabs(scaled - std::trunc(scaled)) == 0.5) {
    // The exact product is scaled + error; off an exact half it rounds toward the side it
    // lies on.
    double error = std::fma(value, factor, -scaled);
    if (error != 0 && (error < 0) == (scaled > 0)) rounded = std::trunc(scaled);
  }
  return rounded;
}

// The decimal digits of a non-negative whole number held in a double.
std::string WholeDigits(double whole) {
  if (whole < 18446744073709551616.0) {
    return std::to_string(static_cast<std::uint64_t>(whole));
  }
  char buffer[400];
  std::snprintf(buffer, sizeof buffer, "%.0f", whole);
  return buffer;
}

std::string Grouped(const std::string& digits, const std::string& separator) {
  std::string result;
  std::size_t count = digits.size();
  for (std::size_t i = 0; i < count; ++i) {
    if (i > 0 && (count - i) % 3 == 0) result += separator;
    result += digits[i];
  }
  return result;
}

}  // namespace

NumberFormat::NumberFormat(std::string groupSeparator, std::string decimalMark)
    : groupSeparator_(std::move(groupSeparator)), decimalMark_(std::move(decimalMark)) {}

std::string NumberFormat::Format(double value, int decimals, bool integerDigitRequired) const {
  if (!std::isfinite(value)) value = 0;
  double rounded = RoundScaled(value, decimals);
  // A value that rounds to zero shows as zero, without a lone minus sign.
  bool negative = rounded < 0;
  std::string digits = WholeDigits(std::fabs(rounded));
  if (digits.size() < static_cast<std::size_t>(decimals) + 1) {
    digits.insert(0, decimals + 1 - digits.size(), '0');
  }
  std::string whole = digits.substr(0, digits.size() - decimals);
  std::string fraction = digits.substr(digits.size() - decimals);

  std::string result;
  if (negative) result += '-';
  if (whole != "0" || integerDigitRequired) result += Grouped(whole, groupSeparator_);
  if (decimals > 0) result += decimalMark_ + fraction;
  return result;
}

std::string NumberFormat::N1(double value) const { return Format(value, 0, false); }
std::string NumberFormat::N2(double value) const { return Format(value, 2, false); }
std::string NumberFormat::N3(double value) const { return Format(value, 0, true); }
std::string NumberFormat::N4(double value) const { return Format(value, 2, true); }

}  // namespace tarnwick
