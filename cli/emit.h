#pragma once
// Writes the results in the chosen format to standard output or a file, and
// the plot when one was asked for.
#include "cli/console.h"
#include "cli/output_writer.h"
#include <travimo/control/read_results.h>
#include "exports/export_metadata.h"

namespace travimo::cli {

// The exit status: Ok, or File when a file cannot be written (reported on err).
// metadata: what the read knows about itself, for formats that carry it.
int EmitResults(const ReadResults& results, const exports::ExportMetadata& metadata,
                const OutputOptions& options, Console& console);
int EmitResults(const ReadResults& results, const OutputOptions& options, Console& console);

}  // namespace travimo::cli
