#pragma once
// One archived read: where and how it was made, what came back, the bytes
// received exactly and the records parsed from them.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <travimo/control/read_results.h>

namespace travimo::archive {

// The settings that shaped the parse, by their property names.
struct ParseSettings {
  int32_t scanDataType = 0;
  int32_t tempUnits = 0;
  int32_t numberOfPoints = 0;
  int32_t blueLineTrigger = 0;
  int32_t arrayStart = 0;
};

struct ReadEntry {
  int64_t startedUtcMs = 0;  // milliseconds since 1970-01-01 UTC
  int64_t endedUtcMs = 0;
  int32_t utcOffsetMinutes = 0;  // local time then, minus UTC
  std::string programVersion;
  std::string source;  // "read", "demo", "parse", "import", "reparse", "python", "gui"
  std::optional<int64_t> parentId;  // the entry whose bytes a reparse decoded
  std::string device;
  int32_t port = 0;
  std::string lineSettings;  // e.g. "9600,N,8,1"
  int32_t typeAsked = 0;     // TravimoType
  ParseSettings settings;
  int32_t errorNumber = 0;  // 0: success
  std::string errorName;
  std::string errorDescription;
  std::vector<uint8_t> raw;  // whatever arrived, also for a failed read
  ReadResults results;       // results.kind is the parser the text chose
};

// One line of the history.
struct ReadSummary {
  int64_t id = 0;
  int64_t startedUtcMs = 0;
  int32_t utcOffsetMinutes = 0;
  std::string source;
  std::string device;
  std::string instrument;
  int32_t records = 0;
  int32_t errorNumber = 0;
  std::string errorName;
  std::optional<int64_t> parentId;
};

struct HistoryFilter {
  std::optional<int64_t> sinceUtcMs;  // inclusive
  std::optional<int64_t> untilUtcMs;  // exclusive
  std::optional<TransferKind> type;
  std::optional<std::string> idCode;
  std::optional<std::string> device;
  bool failedOnly = false;
};

struct CheckResult {
  bool ok = true;
  std::vector<std::string> problems;
};

}  // namespace travimo::archive
