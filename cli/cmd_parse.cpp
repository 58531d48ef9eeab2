#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include <cstdio>
#include <iostream>

#include "cli/commands.h"
#include "cli/error_advice.h"
#include "cli/error_report.h"
#include "cli/exit_status.h"
#include "cli/native_files.h"
#include "cli/offline_decode.h"
#include "cli/raw_sidecar.h"
#include <travimo/model/error.h>

namespace travimo::cli {

namespace {

// The bound of a named file (native_files), so that a pipe cannot exhaust memory.
constexpr size_t kInputLimit = size_t{256} << 20;
constexpr int32_t kOutOfMemory = 7;

// "-" is standard input, read as bytes.
std::string ReadInput(const std::string& path) {
  if (path != "-") return ReadUserFile(path);
#ifdef _WIN32
  _setmode(_fileno(stdin), _O_BINARY);
#endif
  std::string text;
  char buffer[65536];
  while (std::cin.read(buffer, sizeof buffer) || std::cin.gcount() > 0) {
    text.append(buffer, static_cast<size_t>(std::cin.gcount()));
    if (text.size() > kInputLimit) {
      throw RuntimeError(kOutOfMemory, "travimo",
                         "standard input: it is longer than the " +
                             std::to_string(kInputLimit >> 20) +
                             " MB a text file may have; is it really a saved transfer?");
    }
  }
  if (std::cin.bad()) {
    throw RuntimeError(ErrorNumber::PathFileAccess, "travimo", "standard input cannot be read");
  }
  return text;
}

}  // namespace

int RunParseCommand(const ParseCommand& command, Console& console) {
  std::string text;
  try {
    text = ReadInput(command.file);
  } catch (const RuntimeError& error) {
    ReportError(console.err, error.Number(), error.Description());
    return ExitStatus::File;  // a file too large (7) included
  }
#ifndef TRAVIMO_NO_ARCHIVE
  const int64_t started = archive::NowUtcMs();
  const std::string raw = command.archive.asked ? text : std::string();
#endif
  FailureContext failure;
  failure.inputFile = command.file == "-" ? "standard input" : command.file;
  failure.receivedBytes = text.size();
  ControlSettings settings = command.settings;
  if (command.file != "-") ApplyMatchingSidecar(command.file, text, settings, console.err);
  const OfflineDecode decode = DecodeOffline(std::move(text), settings, command.force);
  exports::ExportMetadata metadata;
  metadata.settings = exports::ParseSettingsOf(
      decode.results.kind, {decode.settings.scanDataType, decode.settings.tempUnits,
                            decode.settings.numberOfPoints, decode.settings.blueLineTrigger,
                            decode.arrayStart});
  int archiveStatus = ExitStatus::Ok;
#ifndef TRAVIMO_NO_ARCHIVE
  if (command.archive.asked) {
    archive::ReadEntry entry = EntryOfDecode(decode, raw, started, archive::NowUtcMs());
    entry.source = "parse";
    archiveStatus = ArchiveRead(command.archive, entry, console, &metadata.archiveEntry);
  }
#endif
  if (decode.errorNumber != 0) {
    return ReportFailure(console.err, decode.errorNumber, decode.errorDescription, failure);
  }
  const int status = EmitResults(decode.results, metadata, command.output, console);
  return status != ExitStatus::Ok ? status : archiveStatus;
}

}  // namespace travimo::cli
