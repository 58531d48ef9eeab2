#pragma once
// The control's settings a command line may give; what it leaves out keeps
// the value of the property file (or the control's initial value).
#include <cstdint>
#include <optional>
#include <string>

#include <travimo/control/travimo.h>

namespace travimo::cli {

struct ControlSettings {
  std::optional<int32_t> type;          // TravimoTypeEnum
  std::optional<int32_t> dataType;      // TravimoDataTypeEnum
  std::optional<int32_t> points;        // NumberOfPointsEnum
  std::optional<int32_t> units;         // TemperatureTypeEnum
  std::optional<int32_t> blueLine;      // BlueLineTriggerType
  std::optional<std::string> settings;  // "9600,n,8,1"
  std::optional<int16_t> port;          // CommPort
  std::optional<std::string> rawFile;   // SaveRawData with this OutPutFileName
};

// Through the control's own Lets, the type first: its Let resets the points,
// the blue-line mode and the data type, which the other settings then override.
void ApplySettings(Travimo& control, const ControlSettings& settings);

}  // namespace travimo::cli
