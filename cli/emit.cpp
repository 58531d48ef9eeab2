#include "cli/emit.h"

#include <sstream>

#include "cli/error_report.h"
#include "cli/exit_status.h"
#include "cli/native_files.h"
#include <travimo/model/error.h>

namespace travimo::cli {

namespace {

// Rendered whole, then saved in one piece: a failed write keeps the old file.
int WriteFile(const std::string& path, const OutputWriter& writer, const ReadResults& results,
              Console& console) {
  std::ostringstream text;
  writer.Write(results, text);
  try {
    SaveUserFile(path, text.view());
  } catch (const RuntimeError& error) {
    return ReportError(console.err, error.Number(), error.Description());
  }
  return ExitStatus::Ok;
}

bool ToStandardOutput(const std::string& path) { return path.empty() || path == "-"; }

}  // namespace

int EmitResults(const ReadResults& results, const exports::ExportMetadata& metadata,
                const OutputOptions& options, Console& console) {
  const auto writer = MakeWriter(options, metadata);
  int status = ExitStatus::Ok;
  if (ToStandardOutput(options.outputFile)) {
    writer->Write(results, console.out);
    // Why it failed is said once the command ends (main.cpp).
    if (!console.out.flush()) status = ExitStatus::File;
  } else {
    status = WriteFile(options.outputFile, *writer, results, console);
  }
#ifndef TRAVIMO_NO_PLOTS
  if (!options.plotFile.empty()) {
    const int plotStatus = WriteFile(options.plotFile, PlotWriter(options.plot), results, console);
    if (status == ExitStatus::Ok) status = plotStatus;
  }
#endif
  return status;
}

int EmitResults(const ReadResults& results, const OutputOptions& options, Console& console) {
  return EmitResults(results, exports::ExportMetadata{}, options, console);
}

}  // namespace travimo::cli
