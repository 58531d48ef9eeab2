#include "exports/record_view.h"

#include <charconv>
#include <cmath>

#include <travimo/model/enums.h>
#include "model/series_access.h"

namespace travimo::exports {

namespace {

std::string Trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(" \t\r\n");
  return std::string(text.substr(first, last - first + 1));
}

std::string TextField(const RecordView& view, std::string_view name) {
  const FieldValue* value = view.Find(name);
  return value ? Trimmed(FormatField(*value)) : std::string();
}

// What a series measures follows from the instrument, the series and, for a
// Lorvex, the settings the parse scaled it with; the unit where the transfer
// or those settings say it.
void Describe(const ReadResults& results, const RecordView& view, NamedSeries& series) {
  switch (results.kind) {
    case TransferKind::Lorvex:
      if (series.name == "ScanData") {
        series.quantity = LorvexQuantity(results.dataType);
        series.unit = LorvexUnit(results.dataType, results.tempUnits);
      } else {
        series.quantity = series.name == "TemperatureData" ? "temperature" : "burst";
      }
      return;
    case TransferKind::Brevane:
      if (series.name == "ScanData") {
        series.quantity = "moisture";
        series.unit = TextField(view, "MoistureUnit");
      } else {
        series.quantity = "temperature";
        series.unit = TextField(view, "TemperatureUnit");
      }
      return;
    case TransferKind::Ostrel:
      series.quantity = series.name;  // the transfer does not say what it measured
      return;
  }
}

// The header fields and the series' arrays, in the order of the record's table.
template <class Record>
RecordView ViewOf(const Record& r, int32_t position, std::vector<Field> leading = {}) {
  RecordView view;
  view.position = position;
  view.fields = std::move(leading);
  for (const auto& field : FieldTable<Record>()) {
    const FieldValue value = field.Get(r);
    if (field.IsSeries()) {
      view.series.push_back({std::string(field.ArrayName()), {}, {},
                             RequireSeries(std::get<ScanDataPtr>(value)).ScanData()});
    } else {
      view.fields.push_back({std::string(field.Name()), value});
    }
  }
  return view;
}

RecordView ViewOf(const LorvexScan& scan) {
  return ViewOf(*scan.record, scan.position, {{"TypeLetter", scan.typeLetter}});
}

struct FieldFormatter {
  std::string operator()(int32_t v) const { return std::to_string(v); }
  std::string operator()(float v) const { return FormatFloat(v); }
  std::string operator()(const std::string& v) const { return Latin1ToUtf8(v); }
  std::string operator()(const Date& v) const { return v.ToIsoString(); }
  std::string operator()(const ScanDataPtr&) const { return {}; }  // views keep series apart
};

std::string EnumText(std::string_view enumeration, int32_t value) {
  if (const auto name = MemberName(enumeration, value)) return std::string(*name);
  return std::to_string(value);
}

}  // namespace

const FieldValue* RecordView::Find(std::string_view name) const {
  for (const auto& field : fields) {
    if (field.name == name) return &field.value;
  }
  return nullptr;
}

const NamedSeries* RecordView::FindSeries(std::string_view name) const {
  for (const auto& s : series) {
    if (s.name == name) return &s;
  }
  return nullptr;
}

std::vector<RecordView> ViewsOf(const ReadResults& results) {
  std::vector<RecordView> views;
  switch (results.kind) {
    case TransferKind::Lorvex:
      for (const auto& scan : results.lorvex) views.push_back(ViewOf(scan));
      break;
    case TransferKind::Ostrel:
      for (size_t i = 0; i < results.ostrel.size(); ++i) {
        views.push_back(ViewOf(*results.ostrel[i], static_cast<int32_t>(i + 1)));
      }
      break;
    case TransferKind::Brevane:
      for (size_t i = 0; i < results.brevane.size(); ++i) {
        views.push_back(ViewOf(*results.brevane[i], static_cast<int32_t>(i + 1)));
      }
      break;
  }
  for (auto& view : views) {
    for (auto& series : view.series) Describe(results, view, series);
  }
  return views;
}

std::vector<std::string> HeaderFieldNames(TransferKind kind) {
  std::vector<std::string> names;
  const auto add = [&names](const auto& table) {
    for (const auto& field : table) {
      if (!field.IsSeries()) names.emplace_back(field.Name());
    }
  };
  switch (kind) {
    case TransferKind::Lorvex:
      names.emplace_back("TypeLetter");
      add(FieldTable<CLorvexCls>());
      break;
    case TransferKind::Ostrel:
      add(FieldTable<COstrelCls>());
      break;
    case TransferKind::Brevane:
      add(FieldTable<CBrevaneCls>());
      break;
  }
  return names;
}

std::string LorvexQuantity(int32_t dataType) {
  switch (dataType) {
    case Moisture:
      return "moisture";
    case Temperature:
      return "temperature";
    case Burst:
      return "burst";
    default:
      return "ScanData";
  }
}

// Moisture and burst values are the instrument's raw counts, which have no unit.
std::string LorvexUnit(int32_t dataType, int32_t tempUnits) {
  if (dataType != Temperature) return {};
  return tempUnits == Fahrenheit ? "\u00B0F" : "\u00B0C";
}

std::string FormatFloat(float value) {
  if (std::isnan(value)) return "nan";
  if (std::isinf(value)) return value > 0 ? "inf" : "-inf";
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

std::string FormatField(const FieldValue& value) {
  return std::visit(FieldFormatter{}, value);
}

std::string Latin1ToUtf8(std::string_view bytes) {
  std::string text;
  text.reserve(bytes.size());
  for (const char c : bytes) {
    const auto code = static_cast<unsigned char>(c);
    if (code < 0x80) {
      text += c;
    } else {
      text += static_cast<char>(0xC0 | (code >> 6));
      text += static_cast<char>(0x80 | (code & 0x3F));
    }
  }
  return text;
}

std::string DataTypeName(int32_t dataType) {
  return EnumText("TravimoDataTypeEnum", dataType);
}

std::string TempUnitsName(int32_t tempUnits) {
  return EnumText("TemperatureTypeEnum", tempUnits);
}

}  // namespace travimo::exports
