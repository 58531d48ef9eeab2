#include "cli/output_writer.h"

#include "cli/output_csv.h"
#include "cli/output_json.h"
#include "cli/output_table.h"

namespace travimo::cli {

std::unique_ptr<OutputWriter> MakeWriter(OutputFormat format) {
  switch (format) {
    case OutputFormat::Csv:
      return std::make_unique<CsvWriter>();
    case OutputFormat::Json:
      return std::make_unique<JsonWriter>();
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
