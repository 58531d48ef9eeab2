#pragma once
// Writes the results in the chosen format to standard output or a file, and
// the plot when one was asked for.
#include <string>

#include "cli/console.h"
#include "cli/output_writer.h"
#include "cli/results.h"

namespace travimo::cli {

struct OutputOptions {
  OutputFormat format = OutputFormat::Table;
  std::string outputFile;  // empty: standard output
  std::string plotFile;    // empty: no plot
};

// The exit status: Ok, or File when a file cannot be written (reported on err).
int EmitResults(const ReadResults& results, const OutputOptions& options, Console& console);

}  // namespace travimo::cli
