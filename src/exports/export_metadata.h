#pragma once
// What an export says about where its records came from, beside the records
// themselves. Hosts fill what they know; empty members are left out.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <travimo/control/read_results.h>

namespace travimo::exports {

struct ExportSetting {
  std::string name;   // the control's property, "ScanDataType"
  std::string value;  // its value by name where it has one, "Temperature"
};

struct ExportMetadata {
  std::string device;                   // the port or address read; empty for a parse
  std::optional<int64_t> readUtcMs;     // when the read was made
  std::optional<int64_t> archiveEntry;  // the read's number in the archive
  std::vector<ExportSetting> settings;  // what shaped the parse (ParseSettingsOf)
};

// The settings that decide how a transfer of this kind is decoded, by name:
// the control's own, or those kept with a read.
struct ParseSettingValues {
  int32_t scanDataType = 0;
  int32_t tempUnits = 0;
  int32_t numberOfPoints = 0;
  int32_t blueLineTrigger = 0;
  int32_t arrayStart = 0;
};
std::vector<ExportSetting> ParseSettingsOf(TransferKind kind, const ParseSettingValues& values);
std::vector<ExportSetting> ParseSettingsOf(const Travimo& control, TransferKind kind);

// "2026-12-07T16:51:50.123Z".
std::string UtcIsoText(int64_t utcMs);

}  // namespace travimo::exports
