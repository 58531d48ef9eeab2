#include "cli/commands.h"
#include "cli/error_report.h"
#include "cli/exit_status.h"
#include "cli/native_files.h"
#include "cli/offline_decode.h"
#include "model/error.h"

namespace travimo::cli {

int RunParseCommand(const ParseCommand& command, Console& console) {
  std::string text;
  try {
    text = ReadUserFile(command.file);
  } catch (const RuntimeError& error) {
    ReportError(console.err, error.Number(), error.Description());
    return ExitStatus::File;  // a file too large (7) included
  }
#ifndef TRAVIMO_NO_ARCHIVE
  const int64_t started = archive::NowUtcMs();
  const std::string raw = command.archive.asked ? text : std::string();
#endif
  const OfflineDecode decode = DecodeOffline(std::move(text), command.settings, command.force);
  exports::ExportMetadata metadata;
  metadata.settings = exports::ParseSettingsOf(
      decode.results.kind, {decode.scanDataType, decode.tempUnits, decode.numberOfPoints,
                            decode.blueLineTrigger, decode.arrayStart});
  int archiveStatus = ExitStatus::Ok;
#ifndef TRAVIMO_NO_ARCHIVE
  if (command.archive.asked) {
    archive::ReadEntry entry = EntryOfDecode(decode, raw, started, archive::NowUtcMs());
    entry.source = "parse";
    archiveStatus = ArchiveRead(command.archive, entry, console, &metadata.archiveEntry);
  }
#endif
  if (decode.errorNumber != 0) {
    return ReportError(console.err, decode.errorNumber, decode.errorDescription);
  }
  const int status = EmitResults(decode.results, metadata, command.output, console);
  return status != ExitStatus::Ok ? status : archiveStatus;
}

}  // namespace travimo::cli
