#include "archive/read_entry.h"

#include <chrono>
#include <cstdlib>
#include <ctime>

#include "archive/archive_location.h"
#include "archive/archive_store.h"
#include "archive/sqlite_db.h"
#include <travimo/model/enums.h>
#include <travimo/model/error.h>

namespace travimo::archive {

namespace {

std::optional<std::string> Env(const char* name) {
  const char* value = std::getenv(name);
  return value ? std::optional<std::string>(value) : std::nullopt;
}

}  // namespace

int64_t NowUtcMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

ReadEntry EntryAt(int64_t startedUtcMs, int64_t endedUtcMs, int32_t errorNumber,
                  std::string_view errorDescription) {
  ReadEntry e;
  e.startedUtcMs = startedUtcMs;
  e.endedUtcMs = endedUtcMs;
  const std::time_t seconds = static_cast<std::time_t>(startedUtcMs / 1000);
  std::tm local{};
  localtime_r(&seconds, &local);
  e.utcOffsetMinutes = static_cast<int32_t>(local.tm_gmtoff / 60);
  e.programVersion = TRAVIMO_VERSION_STRING;
  e.errorNumber = errorNumber;
  if (errorNumber != 0) {
    if (const auto name = MemberName("TravimoErrors", errorNumber)) e.errorName = *name;
    e.errorDescription = errorDescription;
  }
  return e;
}

ReadEntry EntryOfRead(const Travimo& control, std::string_view received,
                      const ReadResults& results, int32_t errorNumber, int64_t startedUtcMs,
                      int64_t endedUtcMs) {
  ReadEntry e = EntryAt(startedUtcMs, endedUtcMs, errorNumber, control.LastErrorDescription());
  e.port = control.CommPort();
  e.lineSettings = control.Settings();
  e.typeAsked = control.TravimoType();
  e.settings = {control.ScanDataType(), control.Temp_Units(), control.NumberOfPoints(),
                control.BlueLineTrigger(), control.ArrayStart()};
  e.raw.assign(received.begin(), received.end());
  e.results = results;
  if (errorNumber != 0) {
    // Records of an earlier parse are not this read's.
    e.results.lorvex.clear();
    e.results.ostrel.clear();
    e.results.brevane.clear();
  }
  return e;
}

std::string ArchivePath(const std::string& path) {
  if (!path.empty()) return path;
  std::string found = DefaultArchivePath(Env("XDG_DATA_HOME"), Env("HOME"));
  if (found.empty()) {
    throw RuntimeError(ErrorNumber::PathFileAccess, std::string(kArchiveSource),
                       "No archive location: set HOME or XDG_DATA_HOME, or name the archive");
  }
  return found;
}

int64_t KeepRead(const std::string& path, const ReadEntry& entry) {
  return OpenSqliteArchive(ArchivePath(path))->Add(entry);
}

}  // namespace travimo::archive
