#include "exports/csv_writer.h"

#include <algorithm>
#include <array>
#include <limits>
#include <vector>

#include "exports/record_view.h"

namespace travimo::exports {

namespace {

struct Column {
  std::string_view property;  // the field's name in the record's table
  std::string_view label;     // its column in the export
};

// The fields that identify a record, in their fixed columns of the long layout.
constexpr std::array<Column, 5> kIdentifying = {{{"ScanNumber", "scan_number"},
                                                 {"TypeLetter", "type_letter"},
                                                 {"MeasurementNumber", "measurement_number"},
                                                 {"IDCode", "id_code"},
                                                 {"DateTime", "date_time"}}};

bool IsIdentifying(std::string_view property) {
  return std::any_of(kIdentifying.begin(), kIdentifying.end(),
                     [&](const Column& c) { return c.property == property; });
}

class RowWriter {
 public:
  RowWriter(std::ostream& out, char delimiter) : out_(out), delimiter_(delimiter) {}
  void operator()(const std::vector<std::string>& cells) const {
    for (size_t i = 0; i < cells.size(); ++i) {
      if (i > 0) out_ << delimiter_;
      out_ << CsvField(cells[i], delimiter_);
    }
    out_ << '\n';
  }

 private:
  std::ostream& out_;
  char delimiter_;
};

std::string FieldText(const RecordView& view, std::string_view property) {
  const FieldValue* value = view.Find(property);
  return value ? FormatField(*value) : std::string();
}

bool Filled(const NamedSeries& series) { return !NeverFilled(series.data); }

void WriteLong(const ReadResults& results, const RowWriter& row) {
  std::vector<std::string> others;  // header fields beyond the identifying ones
  for (auto& name : HeaderFieldNames(results.kind)) {
    if (!IsIdentifying(name)) others.push_back(std::move(name));
  }
  std::vector<std::string> header = {"instrument", "record"};
  for (const auto& c : kIdentifying) header.emplace_back(c.label);
  header.insert(header.end(), {"series", "index", "value", "quantity", "unit"});
  header.insert(header.end(), others.begin(), others.end());
  row(header);

  const std::string instrument = KindName(results.kind);
  for (const auto& view : ViewsOf(results)) {
    std::vector<std::string> identity = {instrument, std::to_string(view.position)};
    for (const auto& c : kIdentifying) identity.push_back(FieldText(view, c.property));
    std::vector<std::string> rest;
    for (const auto& name : others) rest.push_back(FieldText(view, name));
    for (const auto& series : view.series) {
      if (!Filled(series)) continue;
      int32_t index = series.data.LowerBound();
      for (const float value : series.data.Values()) {
        auto cells = identity;
        cells.insert(cells.end(), {series.name, std::to_string(index++), FormatFloat(value),
                                   series.quantity, series.unit});
        cells.insert(cells.end(), rest.begin(), rest.end());
        row(cells);
      }
    }
  }
}

struct WideColumn {
  const RecordView* view;
  const NamedSeries* series;
};

void WriteWide(const ReadResults& results, const RowWriter& row) {
  const auto views = ViewsOf(results);
  std::vector<WideColumn> columns;
  int64_t first = std::numeric_limits<int64_t>::max();
  int64_t last = std::numeric_limits<int64_t>::min();
  for (const auto& view : views) {
    for (const auto& series : view.series) {
      if (!Filled(series) || series.data.Empty()) continue;
      columns.push_back({&view, &series});
      first = std::min<int64_t>(first, series.data.LowerBound());
      last = std::max<int64_t>(last, series.data.UpperBound());
    }
  }
  const auto block = [&](std::string label, const auto& cellOf) {
    std::vector<std::string> cells = {std::move(label)};
    for (const auto& column : columns) cells.push_back(cellOf(column));
    row(cells);
  };
  const std::string instrument = KindName(results.kind);
  block("instrument", [&](const WideColumn&) { return instrument; });
  block("record", [](const WideColumn& c) { return std::to_string(c.view->position); });
  block("series", [](const WideColumn& c) { return c.series->name; });
  block("quantity", [](const WideColumn& c) { return c.series->quantity; });
  block("unit", [](const WideColumn& c) { return c.series->unit; });
  const auto names = HeaderFieldNames(results.kind);
  for (const auto& c : kIdentifying) {
    // Date/time and ID for every instrument, even blank; the others where the records have them.
    const bool has = std::find(names.begin(), names.end(), c.property) != names.end();
    if (c.property == "ScanNumber" || (!has && c.label != "date_time" && c.label != "id_code"))
      continue;
    block(std::string(c.label),
          [&](const WideColumn& column) { return FieldText(*column.view, c.property); });
  }
  for (int64_t index = first; index <= last; ++index) {
    block(std::to_string(index), [index](const WideColumn& c) -> std::string {
      const SingleArray& data = c.series->data;
      if (index < data.LowerBound() || index > data.UpperBound()) return {};
      return FormatFloat(data.Values()[static_cast<size_t>(index - data.LowerBound())]);
    });
  }
}

}  // namespace

std::optional<char> DelimiterFromText(std::string_view text) {
  if (text == "tab" || text == "\\t" || text == "\t") return '\t';
  if (text == "," || text == ";" || text == "|") return text.front();
  return std::nullopt;
}

std::optional<CsvLayout> LayoutFromName(std::string_view name) {
  if (name == "long") return CsvLayout::Long;
  if (name == "wide") return CsvLayout::Wide;
  return std::nullopt;
}

void WriteCsv(const ReadResults& results, const CsvOptions& options, std::ostream& out) {
  const RowWriter row(out, options.delimiter);
  if (options.layout == CsvLayout::Wide) {
    WriteWide(results, row);
  } else {
    WriteLong(results, row);
  }
}

std::string CsvField(std::string_view text, char delimiter) {
  const char special[] = {delimiter, '"', '\r', '\n', '\0'};
  const bool needsQuotes = text.find_first_of(special) != std::string_view::npos ||
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

}  // namespace travimo::exports
