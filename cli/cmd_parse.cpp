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
  const OfflineDecode decode = DecodeOffline(std::move(text), command.settings, command.force);
  if (decode.errorNumber != 0) {
    return ReportError(console.err, decode.errorNumber, decode.errorDescription);
  }
  return EmitResults(decode.results, command.output, console);
}

}  // namespace travimo::cli
