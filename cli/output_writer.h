#pragma once
// One writer per output format, all behind one interface; CSV, JSON and plots
// are the export library's.
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include <travimo/control/read_results.h>
#include "exports/csv_writer.h"
#include "exports/export_metadata.h"
#include "exports/plot.h"

namespace travimo::cli {

enum class OutputFormat { Table, Csv, Json };

struct OutputOptions {
  OutputFormat format = OutputFormat::Table;
  std::string outputFile;  // empty or "-": standard output
  std::string plotFile;    // empty: no plot; its extension says the format
  exports::CsvOptions csv;
  exports::PlotOptions plot;
};

class OutputWriter {
 public:
  virtual ~OutputWriter() = default;
  virtual void Write(const ReadResults& results, std::ostream& out) const = 0;
};

std::unique_ptr<OutputWriter> MakeWriter(const OutputOptions& options,
                                         const exports::ExportMetadata& metadata);
std::optional<OutputFormat> FormatFromName(std::string_view name);

#ifndef TRAVIMO_NO_PLOTS
class PlotWriter : public OutputWriter {
 public:
  explicit PlotWriter(exports::PlotOptions options) : options_(options) {}
  void Write(const ReadResults& results, std::ostream& out) const override {
    exports::WritePlot(results, options_, out);
  }

 private:
  exports::PlotOptions options_;
};
#endif

}  // namespace travimo::cli
