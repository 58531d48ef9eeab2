#include <cmath>
#include <limits>

#include "formats/conversions.h"
#include <travimo/model/error.h>

namespace travimo {

int32_t RoundHalfEven(double value) {
  double whole = std::round(value);  // halves away from zero
  if (std::fabs(value - std::trunc(value)) == 0.5 && std::fmod(whole, 2.0) != 0.0) {
    whole -= std::copysign(1.0, value);
  }
  // The negated comparison also catches NaN.
  if (!(whole >= -2147483648.0 && whole <= 2147483647.0)) {
    throw RuntimeError(ErrorNumber::Overflow);
  }
  return static_cast<int32_t>(whole);
}

float NearestSingle(double value) {
  constexpr double kMax = std::numeric_limits<float>::max();
  // Halfway between the largest float and the next power of two rounds to infinity.
  constexpr double kOverflow = 0x1.ffffffp127;
  const double magnitude = std::fabs(value);
  if (std::isnan(value) || magnitude <= kMax) return static_cast<float>(value);
  if (magnitude >= kOverflow) {
    return std::copysign(std::numeric_limits<float>::infinity(), value < 0 ? -1.0f : 1.0f);
  }
  return static_cast<float>(std::copysign(kMax, value));
}

}  // namespace travimo
