#include "cli/emit.h"

#include <cerrno>
#include <cstring>
#include <fstream>

#include "cli/exit_status.h"
#include "cli/output_svg.h"

namespace travimo::cli {

namespace {

int WriteFile(const std::string& path, const OutputWriter& writer, const ReadResults& results,
              Console& console) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  if (file) writer.Write(results, file);
  file.close();
  if (!file) {
    console.err << "travimo: cannot write " << path << ": " << std::strerror(errno) << '\n';
    return ExitStatus::File;
  }
  return ExitStatus::Ok;
}

}  // namespace

int EmitResults(const ReadResults& results, const OutputOptions& options, Console& console) {
  const auto writer = MakeWriter(options.format);
  int status = ExitStatus::Ok;
  if (options.outputFile.empty()) {
    writer->Write(results, console.out);
    console.out.flush();
  } else {
    status = WriteFile(options.outputFile, *writer, results, console);
  }
  if (!options.plotFile.empty()) {
    const int plotStatus = WriteFile(options.plotFile, SvgPlotWriter{}, results, console);
    if (status == ExitStatus::Ok) status = plotStatus;
  }
  return status;
}

}  // namespace travimo::cli
