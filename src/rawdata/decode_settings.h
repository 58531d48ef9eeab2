#pragma once
// The control's settings that shape a parse, by their property names: what a
// read's sidecar keeps and an offline decode puts back.
#include <cstdint>

namespace travimo {

class Travimo;

// The defaults are the control's initial properties.
struct DecodeSettings {
  int32_t travimoType = 1;       // TravimoTypeEnum
  int32_t scanDataType = 0;      // TravimoDataTypeEnum
  int32_t tempUnits = 0;         // TemperatureTypeEnum
  int32_t numberOfPoints = 512;  // NumberOfPointsEnum
  int32_t blueLineTrigger = 2;   // BlueLineTriggerType

  bool operator==(const DecodeSettings&) const = default;
};

DecodeSettings DecodeSettingsOf(const Travimo& control);

// Through the control's own Lets, so a refusal is its RuntimeError. The type
// goes first (its Let resets the others), the points before the blue-line
// mode (a refused "No Limit" changes it).
void ApplyDecodeSettings(Travimo& control, const DecodeSettings& settings);

}  // namespace travimo
