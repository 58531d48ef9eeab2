#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>

#include "formats/conversions.h"
#include "formats/text_scan.h"
#include <travimo/model/error.h>

namespace travimo {
namespace {

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

bool Consume(std::string_view& text, std::string_view token) {
  if (token.empty() || !text.starts_with(token)) return false;
  text.remove_prefix(token.size());
  return true;
}

// Rewrites the text into the neutral form from_chars reads; false when it is
// not a number under these separators.
bool Normalise(std::string_view text, const RegionalSettings& settings, std::string& out) {
  const std::string_view decimal = settings.decimalSeparator;
  const std::string_view grouping = settings.groupingSeparator == settings.decimalSeparator
                                        ? std::string_view{}
                                        : settings.groupingSeparator;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    if (text.front() == '-') out.push_back('-');
    text.remove_prefix(1);
  }
  size_t digits = 0;
  while (!text.empty()) {
    if (IsDigit(text.front())) {
      out.push_back(text.front());
      text.remove_prefix(1);
      ++digits;
    } else if (digits == 0 || !Consume(text, grouping)) {
      break;
    }
  }
  if (Consume(text, decimal)) {
    out.push_back('.');
    for (; !text.empty() && IsDigit(text.front()); text.remove_prefix(1)) {
      out.push_back(text.front());
      ++digits;
    }
  }
  if (digits == 0) return false;
  if (!text.empty() &&
      (text.front() == 'E' || text.front() == 'e' || text.front() == 'D' || text.front() == 'd')) {
    out.push_back('e');
    text.remove_prefix(1);
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
      out.push_back(text.front());
      text.remove_prefix(1);
    }
    if (text.empty() || !IsDigit(text.front())) return false;
    for (; !text.empty() && IsDigit(text.front()); text.remove_prefix(1)) {
      out.push_back(text.front());
    }
  }
  return text.empty();
}

// For a neutral text out of the double range: whether it lies below it.
bool IsTiny(std::string_view neutral) {
  if (!neutral.empty() && neutral.front() == '-') neutral.remove_prefix(1);
  int64_t scale = 0;
  size_t at = 0;
  while (at < neutral.size() && neutral[at] == '0') ++at;
  while (at < neutral.size() && IsDigit(neutral[at])) {
    ++scale;
    ++at;
  }
  const size_t mark = neutral.find('e');
  if (mark != std::string_view::npos) {
    size_t digit = mark + 1;
    const bool negative = digit < neutral.size() && neutral[digit] == '-';
    if (digit < neutral.size() && (neutral[digit] == '-' || neutral[digit] == '+')) ++digit;
    int64_t exponent = 0;
    for (; digit < neutral.size(); ++digit) {
      exponent = std::min<int64_t>(100000, exponent * 10 + (neutral[digit] - '0'));
    }
    scale += negative ? -exponent : exponent;
  }
  return scale <= 0;
}

}  // namespace

std::optional<float> LocaleSingle(std::string_view text, const RegionalSettings& settings) {
  std::string neutral;
  if (!Normalise(Trim(text), settings, neutral)) return std::nullopt;
  double value = 0.0;
  const auto [end, error] = std::from_chars(neutral.data(), neutral.data() + neutral.size(), value);
  if (error == std::errc::result_out_of_range) {
    // from_chars reports both ends of the range; only the large one is an overflow.
    if (IsTiny(neutral)) return 0.0f;
    throw RuntimeError(ErrorNumber::Overflow);
  }
  if (error != std::errc{}) return std::nullopt;
  const float single = NearestSingle(value);
  if (std::isinf(single)) throw RuntimeError(ErrorNumber::Overflow);
  return single;
}

}  // namespace travimo
