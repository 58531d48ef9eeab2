// An archived read decoded again with other settings, and kept when asked.
#include "archive/archive_store.h"
#include "cli/archive_commands.h"
#include "cli/error_report.h"
#include "cli/exit_status.h"
#include <travimo/model/error.h>

namespace travimo::cli {

namespace {

template <class T>
void Override(std::optional<T>& setting, const std::optional<T>& given) {
  if (given) setting = given;
}

// The read's own settings, with those given on the command line in their place.
ControlSettings SettingsFor(const archive::ReadEntry& read, const ControlSettings& given) {
  ControlSettings settings;
  if (read.typeAsked >= Lorvex && read.typeAsked <= Ostrel) settings.type = read.typeAsked;
  settings.dataType = read.settings.scanDataType;
  settings.units = read.settings.tempUnits;
  settings.points = read.settings.numberOfPoints;
  settings.blueLine = read.settings.blueLineTrigger;
  Override(settings.type, given.type);
  Override(settings.dataType, given.dataType);
  Override(settings.units, given.units);
  Override(settings.points, given.points);
  Override(settings.blueLine, given.blueLine);
  return settings;
}

// The decode keeps the read's times and origin: it describes the same bytes.
archive::ReadEntry EntryOfReparse(const archive::ReadEntry& read, int64_t readId,
                                  const OfflineDecode& decode) {
  archive::ReadEntry e =
      EntryOfDecode(decode, {reinterpret_cast<const char*>(read.raw.data()), read.raw.size()},
                    read.startedUtcMs, read.endedUtcMs);
  e.utcOffsetMinutes = read.utcOffsetMinutes;
  e.source = "reparse";
  e.parentId = readId;
  e.device = read.device;
  e.port = read.port;
  e.lineSettings = read.lineSettings;
  return e;
}

}  // namespace

int RunReparseCommand(const ReparseCommand& command, Console& console) {
  std::unique_ptr<archive::ArchiveStore> store;
  archive::ReadEntry read;
  try {
    store = archive::OpenSqliteArchive(ArchivePathOf(command.archive));
    read = store->Load(command.id);
  } catch (const RuntimeError& error) {
    return ReportError(console.err, error.Number(), error.Description());
  }
  const OfflineDecode decode = DecodeOffline(std::string(read.raw.begin(), read.raw.end()),
                                             SettingsFor(read, command.settings), command.force);
  exports::ExportMetadata metadata;
  metadata.device = read.device;
  metadata.readUtcMs = read.startedUtcMs;
  metadata.archiveEntry = command.id;  // the saved decode's own number once kept
  metadata.settings = exports::ParseSettingsOf(
      decode.results.kind, {decode.settings.scanDataType, decode.settings.tempUnits,
                            decode.settings.numberOfPoints, decode.settings.blueLineTrigger,
                            decode.arrayStart});
  int status = ExitStatus::Ok;
  if (decode.errorNumber != 0) {
    status = ReportError(console.err, decode.errorNumber, decode.errorDescription);
  }
  if (command.save) {
    try {
      const int64_t id = store->Add(EntryOfReparse(read, command.id, decode));
      metadata.archiveEntry = id;
      console.err << "Archived as read " << id << " in " << store->Location() << '\n';
    } catch (const RuntimeError& error) {
      const int saveStatus = ReportError(console.err, error.Number(), error.Description());
      if (status == ExitStatus::Ok) status = saveStatus;
    }
  }
  if (decode.errorNumber != 0) return status;
  const int emitStatus = EmitResults(decode.results, metadata, command.output, console);
  return status != ExitStatus::Ok ? status : emitStatus;
}

}  // namespace travimo::cli
