#include "cli/output_csv.h"

#include <array>

#include "cli/record_view.h"

namespace travimo::cli {

namespace {

// Identifying fields, by property name; empty where the instrument has none.
constexpr std::array<std::string_view, 5> kIdentifying = {
    "ScanNumber", "TypeLetter", "MeasurementNumber", "IDCode", "DateTime"};

void Row(std::ostream& out, const std::vector<std::string>& cells) {
  for (size_t i = 0; i < cells.size(); ++i) {
    if (i > 0) out << ',';
    out << CsvField(cells[i]);
  }
  out << '\n';
}

std::vector<std::string> RecordCells(const std::string& instrument, const RecordView& view) {
  std::vector<std::string> cells = {instrument, std::to_string(view.position)};
  for (const auto name : kIdentifying) {
    const FieldValue* value = view.Find(std::string(name));
    cells.push_back(value ? FormatField(*value) : std::string());
  }
  return cells;
}

}  // namespace

std::string CsvField(std::string_view text) {
  const bool needsQuotes = text.find_first_of(",\"\r\n") != std::string_view::npos ||
                           (!text.empty() && (text.front() == ' ' || text.back() == ' '));
  if (!needsQuotes) return std::string(text);
  std::string quoted = "\"";
  for (const char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  quoted += '"';
  return quoted;
}

void CsvWriter::Write(const ReadResults& results, std::ostream& out) const {
  Row(out, {"instrument", "record", "scan_number", "type_letter", "measurement_number", "id_code",
            "date_time", "series", "index", "value"});
  const std::string instrument = KindName(results.kind);
  for (const auto& view : ViewsOf(results)) {
    const auto identity = RecordCells(instrument, view);
    for (const auto& series : view.series) {
      if (NeverFilled(series.data)) continue;
      int32_t index = series.data.LowerBound();
      for (const float value : series.data.Values()) {
        auto cells = identity;
        cells.push_back(series.name);
        cells.push_back(std::to_string(index++));
        cells.push_back(FormatFloat(value));
        Row(out, cells);
      }
    }
  }
}

}  // namespace travimo::cli
