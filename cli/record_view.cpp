#include "cli/record_view.h"

#include <charconv>
#include <cmath>

#include "model/series_access.h"

namespace travimo::cli {

namespace {

// The header fields and the series' arrays, in the order of the record's table.
template <class Record>
RecordView ViewOf(const Record& r, int32_t position, std::vector<Field> leading = {}) {
  RecordView view;
  view.position = position;
  view.fields = std::move(leading);
  for (const auto& field : FieldTable<Record>()) {
    const FieldValue value = field.Get(r);
    if (field.IsSeries()) {
      view.series.push_back(
          {std::string(field.ArrayName()), RequireSeries(std::get<ScanDataPtr>(value)).ScanData()});
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

}  // namespace

const FieldValue* RecordView::Find(const std::string& name) const {
  for (const auto& field : fields) {
    if (field.name == name) return &field.value;
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
  return views;
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

}  // namespace travimo::cli
