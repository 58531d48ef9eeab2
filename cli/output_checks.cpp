#include "cli/output_checks.h"

#include "cli/error_report.h"
#include "cli/exit_status.h"
#include "cli/native_files.h"
#include <travimo/model/error.h>

namespace travimo::cli {

int CheckOutputFiles(const std::vector<std::string>& files, Console& console) {
  for (const std::string& file : files) {
    if (file.empty()) continue;
    try {
      CheckUserFileSavable(file);
    } catch (const RuntimeError& error) {
      ReportError(console.err, error.Number(), error.Description());
      console.err << "travimo: nothing was read; choose another file and try again\n";
      return ExitStatus::File;
    }
  }
  return ExitStatus::Ok;
}

}  // namespace travimo::cli
