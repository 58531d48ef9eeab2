#include "cli/output_writer.h"

#include "cli/output_table.h"
#include "exports/json_writer.h"

namespace travimo::cli {

namespace {

class CsvWriter : public OutputWriter {
 public:
  explicit CsvWriter(exports::CsvOptions options) : options_(options) {}
  void Write(const ReadResults& results, std::ostream& out) const override {
    exports::WriteCsv(results, options_, out);
  }

 private:
  exports::CsvOptions options_;
};

class JsonWriter : public OutputWriter {
 public:
  explicit JsonWriter(exports::ExportMetadata metadata) : metadata_(std::move(metadata)) {}
  void Write(const ReadResults& results, std::ostream& out) const override {
    exports::WriteJson(results, metadata_, out);
  }

 private:
  exports::ExportMetadata metadata_;
};

}  // namespace

std::unique_ptr<OutputWriter> MakeWriter(const OutputOptions& options,
                                         const exports::ExportMetadata& metadata) {
  switch (options.format) {
    case OutputFormat::Csv:
      return std::make_unique<CsvWriter>(options.csv);
    case OutputFormat::Json:
      return std::make_unique<JsonWriter>(metadata);
    case OutputFormat::Table:
      break;
  }
  return std::make_unique<TableWriter>();
}

std::optional<OutputFormat> FormatFromName(std::string_view name) {
  if (name == "table") return OutputFormat::Table;
  if (name == "csv") return OutputFormat::Csv;
  if (name == "json") return OutputFormat::Json;
  return std::nullopt;
}

}  // namespace travimo::cli
