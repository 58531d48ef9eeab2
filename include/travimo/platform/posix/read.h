#pragma once
// One read in one call, for hosts that want the records and nothing else:
//
//   const travimo::ReadResults results = travimo::Read({.device = "/dev/ttyUSB0"});
//   for (const auto& scan : results.lorvex) use(scan.record->ScanData());
//
// The settings left out keep the value the instrument type sets, or the one
// of the property file. A failed read throws RuntimeError with the
// TravimoError number and the control's description; what arrived before the
// failure is still in the raw-data file when one was asked for.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include <travimo/control/read_results.h>
#include <travimo/model/enums.h>

namespace travimo {

struct ReadOptions {
  std::string device{};                    // "" lets port N open /dev/ttyS{N-1}
  std::optional<int16_t> port{};           // CommPort
  std::optional<int32_t> type = Lorvex;  // TravimoTypeEnum
  std::optional<int32_t> data{};           // TravimoDataTypeEnum
  std::optional<int32_t> points{};         // NumberOfPointsEnum
  std::optional<int32_t> units{};          // TemperatureTypeEnum
  std::optional<int32_t> blueLine{};       // BlueLineTriggerType
  std::optional<std::string> settings{};   // the line, "9600,n,8,1"
  std::filesystem::path raw{};             // saves the received bytes there
  std::filesystem::path props{};           // loaded before, saved after the read
  std::filesystem::path trace{};           // appends the serial traffic ("-": stderr)
  std::string locale{};                    // regional settings, "" for the environment's
};

ReadResults Read(const ReadOptions& options = {});

// Sets the control's properties from options as Read does, the type first
// (setting it resets points, blue line and data type, which the others then
// override); device, props, trace and locale are the caller's to apply.
void ApplyReadOptions(Travimo& control, const ReadOptions& options);

}  // namespace travimo
