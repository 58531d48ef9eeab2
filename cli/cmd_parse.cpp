#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>

#include "cli/commands.h"
#include "cli/error_report.h"
#include "cli/exit_status.h"
#include "cli/offline_decode.h"

namespace travimo::cli {

namespace {

bool ReadWholeFile(const std::string& path, std::string& bytes) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return false;
  bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  return !file.bad();
}

}  // namespace

int RunParseCommand(const ParseCommand& command, Console& console) {
  std::string text;
  if (!ReadWholeFile(command.file, text)) {
    console.err << "travimo: cannot read " << command.file << ": " << std::strerror(errno) << '\n';
    return ExitStatus::File;
  }
#ifndef TRAVIMO_NO_ARCHIVE
  const int64_t started = NowUtcMs();
  const std::string raw = command.archive.asked ? text : std::string();
#endif
  const OfflineDecode decode = DecodeOffline(std::move(text), command.settings, command.force);
  int archiveStatus = ExitStatus::Ok;
#ifndef TRAVIMO_NO_ARCHIVE
  if (command.archive.asked) {
    archive::ReadEntry entry = EntryOfDecode(decode, raw, started, NowUtcMs());
    entry.source = "parse";
    archiveStatus = ArchiveRead(command.archive, entry, console);
  }
#endif
  if (decode.errorNumber != 0) {
    return ReportError(console.err, decode.errorNumber, decode.errorDescription);
  }
  const int status = EmitResults(decode.results, command.output, console);
  return status != ExitStatus::Ok ? status : archiveStatus;
}

}  // namespace travimo::cli
