#include "cli/output_table.h"

#include <algorithm>
#include <iomanip>

#include "exports/record_view.h"

namespace travimo::cli {

using exports::DataTypeName;
using exports::FormatField;
using exports::NamedSeries;
using exports::FormatFloat;
using exports::TempUnitsName;
using exports::ViewsOf;

namespace {

constexpr int kLabelWidth = 22;

void Line(std::ostream& out, const std::string& label, const std::string& text) {
  out << "  " << std::left << std::setw(kLabelWidth) << label << text << '\n';
}

std::string FirstPoints(const SingleArray& data, int count) {
  std::string text;
  const int shown = std::min(count, data.Size());
  for (int i = 0; i < shown; ++i) {
    if (i > 0) text += ' ';
    text += FormatFloat(data.Values()[static_cast<size_t>(i)]);
  }
  if (data.Size() > shown) text += " ...";
  return text;
}

std::string Bounds(const SingleArray& data) {
  if (data.Empty()) return "0 points";
  return std::to_string(data.Size()) + " points (" + std::to_string(data.LowerBound()) + ".." +
         std::to_string(data.UpperBound()) + ")";
}

void WriteSeries(std::ostream& out, const NamedSeries& series, int firstPoints) {
  Line(out, series.name, Bounds(series.data));
  if (!series.data.Empty()) Line(out, "", FirstPoints(series.data, firstPoints));
}

std::string Heading(const ReadResults& results) {
  const int32_t n = results.Count();
  std::string text =
      KindName(results.kind) + ": " + std::to_string(n) + (n == 1 ? " record" : " records");
  if (results.kind == TransferKind::Lorvex) {
    text += " (" + DataTypeName(results.dataType);
    if (results.dataType == Temperature) text += ", " + TempUnitsName(results.tempUnits);
    text += ")";
  }
  return text;
}

}  // namespace

void TableWriter::Write(const ReadResults& results, std::ostream& out) const {
  out << Heading(results) << '\n';
  for (const auto& view : ViewsOf(results)) {
    out << '\n' << "Scan " << view.position << '\n';
    for (const auto& field : view.fields) Line(out, field.name, FormatField(field.value));
    for (const auto& series : view.series) {
      if (!NeverFilled(series.data)) WriteSeries(out, series, kFirstPoints);
    }
  }
}

}  // namespace travimo::cli
