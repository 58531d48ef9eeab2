#pragma once
// What the fuzz targets share: turning a leading option byte into the settings
// a parse runs under, and reading back everything a parse left behind so that
// a record with bad bounds shows up as a sanitizer report.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include <travimo/model/enums.h>
#include <travimo/model/error.h>
#include <travimo/model/scan_state.h>
#include <travimo/platform/regional_settings.h>

namespace travimo::fuzzing {

// An input whose first byte has its top bit set carries options in the other
// seven bits; any other input is text under the control's defaults.
struct Input {
  std::string text;
  uint8_t options = 0;
};

inline Input Split(const uint8_t* data, size_t size) {
  Input input;
  if (size > 0 && (data[0] & 0x80) != 0) {
    input.options = data[0] & 0x7f;
    ++data;
    --size;
  }
  input.text.assign(reinterpret_cast<const char*>(data), size);
  return input;
}

inline RegionalSettings RegionalFor(uint8_t options) {
  RegionalSettings settings;
  if ((options & 0x40) != 0) {
    settings.dateOrder = DateOrder::DayMonthYear;
    settings.decimalSeparator = ",";
    settings.groupingSeparator = ".";
  }
  return settings;
}

// The settings a read may run under: point limit, data type, blue line, array start.
inline void ApplyOptions(uint8_t options, ScanState& state) {
  static constexpr int32_t kPoints[] = {Max512, Max256, NoLimit, Max512};
  state.numberOfPoints = state.pointLimit = kPoints[options & 0x3];
  state.scanDataType = (options >> 2) & 0x3;  // 3 is no data type at all
  state.blueLineTrigger = (options & 0x10) != 0 ? BlueLineOff : BlueLineAuto;
  state.arrayStart = (options & 0x20) != 0 ? 0 : 1;
}

template <class Array>
float Touch(const Array& array) {
  float sum = 0.0f;
  for (int32_t i = array.LowerBound(); i <= array.UpperBound(); ++i) sum += array.At(i);
  return sum;
}

// Reads every record of every collection, all series element by element.
inline float WalkState(const ScanState& state) {
  float sum = 0.0f;
  if (state.lorvexCol) {
    for (const auto& scan : *state.lorvexCol) {
      sum += Touch(scan->ScanData()) + Touch(scan->TemperatureData()) + Touch(scan->BurstData());
    }
  }
  if (state.ostrelCol) {
    for (const auto& measurement : *state.ostrelCol) {
      sum += Touch(measurement->ScanData());
      sum += static_cast<float>(measurement->CalibrationConstantA().size() +
                                measurement->BasisWeightValue().size());
    }
  }
  if (state.brevaneCol) {
    for (const auto& measurement : *state.brevaneCol) {
      sum += Touch(measurement->ScanData()) + Touch(measurement->TempData());
      sum += static_cast<float>(measurement->IDCode().size()) + measurement->BasisWeightValue();
    }
  }
  return sum;
}

// Keeps the compiler from dropping the reads.
inline void Consume(float value) {
  volatile float sink = value;
  (void)sink;
}

}  // namespace travimo::fuzzing
