#include "cli/results.h"

#include "model/enums.h"

namespace travimo::cli {

namespace {

std::string EnumText(std::string_view enumeration, int32_t value) {
  if (const auto name = MemberName(enumeration, value)) return std::string(*name);
  return std::to_string(value);
}

}  // namespace

std::string DataTypeName(int32_t dataType) {
  return EnumText("TravimoDataTypeEnum", dataType);
}

std::string TempUnitsName(int32_t tempUnits) {
  return EnumText("TemperatureTypeEnum", tempUnits);
}

}  // namespace travimo::cli
