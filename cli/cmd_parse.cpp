#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>

#include "cli/commands.h"
#include "cli/error_report.h"
#include "cli/exit_status.h"
#include "cli/read_run.h"
#include "cli/session.h"
#include "model/error.h"

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
  ControlSession session;
  Travimo& control = session.Control();
  try {
    control.InitProperties();
    ApplySettings(control, command.settings);
  } catch (const RuntimeError& error) {
    return ReportError(console.err, error.Number(), error.Description());
  }
  const CollectionSnapshot before = SnapshotOf(control);
  if (command.force) {
    control.DecodeTransfer(std::move(text), *command.force);
  } else {
    control.DecodeTransfer(std::move(text));
  }
  if (const auto& errors = session.Site().Errors(); !errors.empty()) {
    return ReportError(console.err, errors.back(), control.LastErrorDescription());
  }
  return EmitResults(CollectResults(control, FilledKind(before, control)), command.output, console);
}

}  // namespace travimo::cli
