#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

#include "formats/conversions.h"
#include "formats/text_scan.h"

namespace travimo {
namespace {

// Walks a text skipping blanks and tabs wherever they stand.
class Cursor {
 public:
  explicit Cursor(std::string_view text) : text_(text) { SkipBlanks(); }
  bool AtEnd() const { return at_ >= text_.size(); }
  char Peek() const { return AtEnd() ? '\0' : text_[at_]; }
  void Advance() {
    ++at_;
    SkipBlanks();
  }

 private:
  void SkipBlanks() {
    while (at_ < text_.size() && IsBlank(text_[at_])) ++at_;
  }
  std::string_view text_;
  size_t at_ = 0;
};

int DigitValue(char c) {
  if (IsDigit(c)) return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 99;
}

double RadixWhole(Cursor& cursor, int radix) {
  double value = 0.0;
  for (int digit = DigitValue(cursor.Peek()); digit < radix; digit = DigitValue(cursor.Peek())) {
    value = value * radix + digit;
    cursor.Advance();
  }
  return value;
}

// The decimal number as the cursor reads it, in a compact form for the slow path.
struct Decimal {
  bool negative = false;
  std::string digits;     // integer and fraction digits, leading zeros dropped
  int64_t exponent = 0;   // power of ten applied to digits as a whole number
  uint64_t mantissa = 0;  // digits while they fit exactly
  bool mantissaExact = true;
};

constexpr int64_t kExponentCap = 100000;  // far beyond any double, safe from overflow

void AddDigit(Decimal& number, char c) {
  if (number.digits.empty() && c == '0') return;
  number.digits.push_back(c);
  if (number.digits.size() <= 19) {
    number.mantissa = number.mantissa * 10 + static_cast<uint64_t>(c - '0');
  } else {
    number.mantissaExact = false;
  }
}

Decimal ReadDecimal(Cursor& cursor) {
  Decimal number;
  if (cursor.Peek() == '+' || cursor.Peek() == '-') {
    number.negative = cursor.Peek() == '-';
    cursor.Advance();
  }
  for (; IsDigit(cursor.Peek()); cursor.Advance()) AddDigit(number, cursor.Peek());
  if (cursor.Peek() == '.') {
    cursor.Advance();
    for (; IsDigit(cursor.Peek()); cursor.Advance()) {
      AddDigit(number, cursor.Peek());
      --number.exponent;
    }
  }
  const char mark = cursor.Peek();
  if (mark == 'E' || mark == 'e' || mark == 'D' || mark == 'd') {
    cursor.Advance();
    bool negativeExponent = false;
    if (cursor.Peek() == '+' || cursor.Peek() == '-') {
      negativeExponent = cursor.Peek() == '-';
      cursor.Advance();
    }
    int64_t written = 0;
    for (; IsDigit(cursor.Peek()); cursor.Advance()) {
      written = std::min(kExponentCap, written * 10 + (cursor.Peek() - '0'));
    }
    number.exponent += negativeExponent ? -written : written;
  }
  return number;
}

constexpr double kPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                   1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                   1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

double Magnitude(const Decimal& number) {
  if (number.digits.empty()) return 0.0;
  // Exact mantissa and an exact power of ten: one correctly rounded operation.
  if (number.mantissaExact && number.mantissa <= (uint64_t{1} << 53) && number.exponent >= -22 &&
      number.exponent <= 22) {
    const double m = static_cast<double>(number.mantissa);
    return number.exponent >= 0 ? m * kPowersOfTen[number.exponent]
                                : m / kPowersOfTen[-number.exponent];
  }
  const std::string text = number.digits + "e" + std::to_string(number.exponent);
  double value = 0.0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error == std::errc::result_out_of_range) {
    const int64_t scale = number.exponent + static_cast<int64_t>(number.digits.size());
    return scale > 0 ? std::numeric_limits<double>::infinity() : 0.0;
  }
  return value;
}

}  // namespace

double LenientNumber(std::string_view text) {
  Cursor cursor(text);
  if (cursor.Peek() == '&') {
    cursor.Advance();
    const char radix = cursor.Peek();
    if (radix == 'H' || radix == 'h') {
      cursor.Advance();
      return RadixWhole(cursor, 16);
    }
    if (radix == 'O' || radix == 'o') {
      cursor.Advance();
      return RadixWhole(cursor, 8);
    }
    return 0.0;
  }
  const Decimal number = ReadDecimal(cursor);
  const double magnitude = Magnitude(number);
  return number.negative ? -magnitude : magnitude;
}

}  // namespace travimo
