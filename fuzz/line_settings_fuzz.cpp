// The serial component's Settings text: any text either parses or fails with
// 380, and what parses formats to a text that parses back to the same settings.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include <travimo/model/error.h>
#include <travimo/platform/line_settings.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace travimo;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  LineSettings settings;
  try {
    settings = ParseLineSettings(text);
  } catch (const RuntimeError& error) {
    if (error.Number() != 380) __builtin_trap();
    return 0;
  }
  if (ParseLineSettings(FormatLineSettings(settings)) != settings) __builtin_trap();
  return 0;
}
