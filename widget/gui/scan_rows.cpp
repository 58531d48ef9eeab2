#include "widget/gui/scan_rows.h"

#include <algorithm>

#include <travimo/model/field_table.h>

namespace travimo::gui {

namespace {

// Instrument texts are bytes, one character each.
QString Text(const std::string& bytes) {
  return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

QString Number(double value) {
  return QString::number(value, 'g', 7);
}

struct CellText {
  QString operator()(const std::string& v) const { return Text(v); }
  QString operator()(int32_t v) const { return QString::number(v); }
  QString operator()(float v) const { return Number(v); }
  QString operator()(const Date& v) const {
    return QString::fromStdString(v.ToIsoString()).replace(QLatin1Char('T'), QLatin1Char(' '));
  }
  QString operator()(const ScanDataPtr&) const { return {}; }  // series are plotted, not shown
};

const QStringList kSummary{"Points", "Min", "Max"};

// Points, minimum and maximum of the first series, blank when there is none.
QStringList Summary(const std::vector<NamedSeries>& series) {
  if (series.empty() || series.front().data.Empty()) return {"0", "", ""};
  const auto& values = series.front().data.Values();
  const auto [low, high] = std::minmax_element(values.begin(), values.end());
  return {QString::number(values.size()), Number(*low), Number(*high)};
}

// The record's header fields, named as its table names them.
template <class Record>
QStringList FieldColumns() {
  QStringList names;
  for (const auto& field : FieldTable<Record>()) {
    if (!field.IsSeries()) names << QString::fromLatin1(field.Name().data(), field.Name().size());
  }
  return names;
}

// The cells of FieldColumns<Record>() and the series worth plotting.
template <class Record>
QStringList FillFrom(const Record& record, std::vector<NamedSeries>& series) {
  QStringList cells;
  for (const auto& field : FieldTable<Record>()) {
    const FieldValue value = field.Get(record);
    if (!field.IsSeries()) {
      cells << std::visit(CellText{}, value);
      continue;
    }
    const auto& data = std::get<ScanDataPtr>(value);
    if (!data || NeverFilled(data->ScanData())) continue;
    const auto name = field.ArrayName();
    series.push_back({QString::fromLatin1(name.data(), name.size()), data->ScanData()});
  }
  return cells;
}

ScanRow LorvexRow(const LorvexScan& scan) {
  ScanRow row;
  row.position = scan.position;
  const QStringList fields = FillFrom(*scan.record, row.series);
  QStringList names;
  for (const auto& series : row.series) names << series.name;
  row.cells << QString::number(scan.position) << Text(scan.typeLetter) << names.join(", ")
            << fields << Summary(row.series);
  return row;
}

template <class Record>
ScanRow RecordRow(int position, const Record& record) {
  ScanRow row;
  row.position = position;
  row.cells << QString::number(position) << FillFrom(record, row.series) << Summary(row.series);
  return row;
}

}  // namespace

QStringList ScanColumns(TransferKind kind) {
  switch (kind) {
    case TransferKind::Lorvex:
      return QStringList{"#", "Type", "Series"} + FieldColumns<CLorvexCls>() + kSummary;
    case TransferKind::Ostrel:
      return QStringList{"#"} + FieldColumns<COstrelCls>() + kSummary;
    case TransferKind::Brevane:
      return QStringList{"#"} + FieldColumns<CBrevaneCls>() + kSummary;
  }
  return kSummary;
}

// Only the kind's list is filled; collections hold no null members.
std::vector<ScanRow> ScanRows(const ReadResults& results) {
  std::vector<ScanRow> rows;
  int position = 0;
  for (const auto& scan : results.lorvex) rows.push_back(LorvexRow(scan));
  for (const auto& record : results.ostrel) rows.push_back(RecordRow(++position, *record));
  for (const auto& record : results.brevane) rows.push_back(RecordRow(++position, *record));
  return rows;
}

}  // namespace travimo::gui
