#include <travimo/model/enums.h>

#include <array>

namespace travimo {
namespace {

constexpr std::array kTravimoType{EnumMember{"Lorvex", Lorvex}, EnumMember{"Brevane", Brevane},
                                  EnumMember{"Ostrel", Ostrel}};
constexpr std::array kNumberOfPoints{EnumMember{"Max 512", Max512}, EnumMember{"Max 256", Max256},
                                     EnumMember{"No Limit", NoLimit}};
constexpr std::array kDataType{EnumMember{"Moisture", Moisture},
                               EnumMember{"Temperature", Temperature}, EnumMember{"Burst", Burst}};
constexpr std::array kErrors{
    EnumMember{"ComportReadError", ComportReadError},
    EnumMember{"DataAccessError", DataAccessError},
    EnumMember{"BlueLineError", BlueLineError},
    EnumMember{"ComportError", ComportError},
    EnumMember{"UserCancel", UserCancel},
    EnumMember{"InvalidOstrelDataError", InvalidOstrelDataError},
    EnumMember{"InvalidBrevaneDataError", InvalidBrevaneDataError},
};
constexpr std::array kTemperature{EnumMember{"Celsius", Celsius},
                                  EnumMember{"Fahrenheit", Fahrenheit}};
constexpr std::array kBlueLine{EnumMember{"BlueLineOff", BlueLineOff},
                               EnumMember{"BlueLineOn", BlueLineOn},
                               EnumMember{"BlueLineAuto", BlueLineAuto}};

constexpr std::array kEnumerations{
    EnumInfo{"TravimoTypeEnum", kTravimoType},
    EnumInfo{"NumberOfPointsEnum", kNumberOfPoints},
    EnumInfo{"TravimoDataTypeEnum", kDataType},
    EnumInfo{"TravimoErrors", kErrors},
    EnumInfo{"TemperatureTypeEnum", kTemperature},
    EnumInfo{"BlueLineTriggerType", kBlueLine},
};

}  // namespace

std::span<const EnumInfo> Enumerations() { return kEnumerations; }

const EnumInfo* FindEnumeration(std::string_view name) {
  for (const auto& info : kEnumerations) {
    if (info.name == name) return &info;
  }
  return nullptr;
}

std::optional<std::string_view> MemberName(std::string_view enumeration, int32_t value) {
  const EnumInfo* info = FindEnumeration(enumeration);
  if (info == nullptr) return std::nullopt;
  for (const auto& member : info->members) {
    if (member.value == value) return member.name;
  }
  return std::nullopt;
}

}  // namespace travimo
