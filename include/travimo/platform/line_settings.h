#pragma once
// The serial component's Settings text, "baud,parity,data,stop" such as "9600,n,8,1".
#include <cstdint>
#include <string>
#include <string_view>

namespace travimo {

struct LineSettings {
  int32_t baud = 9600;
  char parity = 'n';  // n, e, o, m, s
  int dataBits = 8;   // 4 to 8
  int stopBitsTimesTen = 10;  // 10, 15 or 20

  bool operator==(const LineSettings&) const = default;
};

// Fails with 380 (invalid property value) and a description quoting the text.
LineSettings ParseLineSettings(std::string_view text);
std::string FormatLineSettings(const LineSettings& settings);

}  // namespace travimo
