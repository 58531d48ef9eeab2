// The lenient number and date conversions on any text under either regional
// style. They fail only with their documented numbers (6 overflow, 13 type
// mismatch) and never read outside the text.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

#include "formats/conversions.h"
#include "fuzz_support.h"

namespace {

using namespace travimo;

template <class Conversion>
void Expect(Conversion conversion, int32_t allowed) {
  try {
    conversion();
  } catch (const RuntimeError& error) {
    if (error.Number() != allowed) __builtin_trap();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const fuzzing::Input input = fuzzing::Split(data, size);
  const RegionalSettings regional = fuzzing::RegionalFor(input.options);
  const std::string& text = input.text;

  const double number = LenientNumber(text);
  Expect([&] { fuzzing::Consume(static_cast<float>(RoundHalfEven(number))); },
         ErrorNumber::Overflow);
  const float single = NearestSingle(number);
  if (std::isfinite(number) && std::fabs(number) <= 3.0e38 && !std::isfinite(single)) {
    __builtin_trap();
  }
  Expect([&] { fuzzing::Consume(LocaleSingle(text, regional).value_or(0.0f)); },
         ErrorNumber::Overflow);
  // The two date conversions agree, and a date read back prints.
  const auto date = TryTextToDate(text, regional);
  bool read = true;
  try {
    fuzzing::Consume(static_cast<float>(TextToDate(text, regional).ToIsoString().size()));
  } catch (const RuntimeError& error) {
    if (error.Number() != ErrorNumber::TypeMismatch) __builtin_trap();
    read = false;
  }
  if (read != date.has_value()) __builtin_trap();
  return 0;
}
