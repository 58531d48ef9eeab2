#pragma once
// The public enumerations. Values are 32-bit signed; properties that carry them
// store plain int32_t because the control accepts any value (a type of 7, say).
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace travimo {

enum TravimoTypeEnum : int32_t { Lorvex = 1, Brevane = 2, Ostrel = 3 };

enum NumberOfPointsEnum : int32_t { Max512 = 512, Max256 = 256, NoLimit = 32768 };

enum TravimoDataTypeEnum : int32_t { Moisture = 0, Temperature = 1, Burst = 2 };

enum TravimoErrors : int32_t {
  ComportReadError = 1,
  DataAccessError = 2,
  BlueLineError = 3,
  ComportError = 8002,
  UserCancel = 9999,
  InvalidOstrelDataError = 32769,
  InvalidBrevaneDataError = 32770,
};

enum TemperatureTypeEnum : int32_t { Celsius = 0, Fahrenheit = 1 };

enum BlueLineTriggerType : int32_t { BlueLineOff = 0, BlueLineOn = 1, BlueLineAuto = 2 };

// Member names as a property browser shows them ("Max 512", with the space).
struct EnumMember {
  std::string_view name;
  int32_t value;
};

struct EnumInfo {
  std::string_view name;
  std::span<const EnumMember> members;
};

std::span<const EnumInfo> Enumerations();
const EnumInfo* FindEnumeration(std::string_view name);
std::optional<std::string_view> MemberName(std::string_view enumeration, int32_t value);

}  // namespace travimo
