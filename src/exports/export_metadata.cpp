#include "exports/export_metadata.h"

#include <chrono>
#include <cstdio>

#include <travimo/model/enums.h>

namespace travimo::exports {

namespace {

std::string EnumText(std::string_view enumeration, int32_t value) {
  if (const auto name = MemberName(enumeration, value)) return std::string(*name);
  return std::to_string(value);
}

}  // namespace

std::vector<ExportSetting> ParseSettingsOf(TransferKind kind, const ParseSettingValues& v) {
  // Only the Lorvex parse reads settings: scaling, point limit, blue-line check.
  if (kind != TransferKind::Lorvex) return {};
  return {
      {"ScanDataType", EnumText("TravimoDataTypeEnum", v.scanDataType)},
      {"Temp_Units", EnumText("TemperatureTypeEnum", v.tempUnits)},
      {"NumberOfPoints", EnumText("NumberOfPointsEnum", v.numberOfPoints)},
      {"BlueLineTrigger", EnumText("BlueLineTriggerType", v.blueLineTrigger)},
      {"ArrayStart", std::to_string(v.arrayStart)},
  };
}

std::vector<ExportSetting> ParseSettingsOf(const Travimo& control, TransferKind kind) {
  return ParseSettingsOf(kind, {control.ScanDataType(), control.Temp_Units(),
                                control.NumberOfPoints(), control.BlueLineTrigger(),
                                control.ArrayStart()});
}

std::string UtcIsoText(int64_t utcMs) {
  using namespace std::chrono;
  const sys_time<milliseconds> time{milliseconds(utcMs)};
  const auto day = floor<days>(time);
  const year_month_day date{day};
  const hh_mm_ss<milliseconds> clock{time - day};
  char text[40];
  std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02d.%03dZ",
                static_cast<int>(date.year()), static_cast<unsigned>(date.month()),
                static_cast<unsigned>(date.day()), static_cast<int>(clock.hours().count()),
                static_cast<int>(clock.minutes().count()),
                static_cast<int>(clock.seconds().count()),
                static_cast<int>(clock.subseconds().count()));
  return text;
}

}  // namespace travimo::exports
