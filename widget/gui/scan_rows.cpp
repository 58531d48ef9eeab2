#include "widget/gui/scan_rows.h"

#include <algorithm>

namespace travimo::gui {

namespace {

// Instrument texts are bytes, one character each.
QString Text(const std::string& bytes) {
  return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

QString Number(double value) {
  return QString::number(value, 'g', 7);
}

QString DateText(const Date& date) {
  return QString::fromStdString(date.ToIsoString()).replace(QLatin1Char('T'), QLatin1Char(' '));
}

void AddSeries(std::vector<NamedSeries>& into, const char* name, const ScanDataPtr& series) {
  if (!series) return;
  SingleArray data = series->ScanData();
  if (NeverFilled(data)) return;
  into.push_back({QString::fromLatin1(name), std::move(data)});
}

// Points, minimum and maximum of the first series, blank when there is none.
QStringList Summary(const std::vector<NamedSeries>& series) {
  if (series.empty() || series.front().data.Empty()) return {"0", "", ""};
  const auto& values = series.front().data.Values();
  const auto [low, high] = std::minmax_element(values.begin(), values.end());
  return {QString::number(values.size()), Number(*low), Number(*high)};
}

ScanRow LorvexRow(const LorvexScan& scan) {
  const CLorvexCls& record = *scan.record;
  ScanRow row;
  row.position = scan.position;
  AddSeries(row.series, "ScanData", record.cScanData());
  AddSeries(row.series, "TemperatureData", record.cScanTemp());
  AddSeries(row.series, "BurstData", record.cScanBurst());
  QStringList names;
  for (const auto& series : row.series) names << series.name;
  row.cells << QString::number(scan.position) << Text(scan.typeLetter) << names.join(", ");
  row.cells << Summary(row.series);
  return row;
}

ScanRow OstrelRow(int position, const COstrelCls& record) {
  ScanRow row;
  row.position = position;
  AddSeries(row.series, "ScanData", record.cScanData());
  row.cells << QString::number(position) << QString::number(record.MeasurementNumber())
            << DateText(record.DateTime()) << QString::number(record.SamplingRate())
            << Text(record.BasisWeightValue()) << Text(record.CalibrationConstantA())
            << Text(record.CalibrationConstantB());
  row.cells << Summary(row.series);
  return row;
}

ScanRow BrevaneRow(int position, const CBrevaneCls& record) {
  ScanRow row;
  row.position = position;
  AddSeries(row.series, "ScanData", record.cScanData());
  AddSeries(row.series, "TempData", record.cScanTemp());
  row.cells << QString::number(position) << QString::number(record.MeasurementNumber())
            << Text(record.IDCode()) << DateText(record.DateTime())
            << Text(record.TypeOfMeasuringHead()) << Number(record.BasisWeightValue())
            << Text(record.BasisWeightUnit()) << Text(record.TypeOfBasisWeight())
            << Number(record.SamplingRate()) << QString::number(record.GradeNo())
            << Text(record.CalibrationConstantA()) << Text(record.CalibrationConstantB())
            << Text(record.MoistureUnit()) << Text(record.TemperatureUnit());
  row.cells << Summary(row.series);
  return row;
}

}  // namespace

QStringList ScanColumns(TransferKind kind) {
  const QStringList summary{"Points", "Min", "Max"};
  switch (kind) {
    case TransferKind::Lorvex:
      return QStringList{"#", "Type", "Series"} + summary;
    case TransferKind::Ostrel:
      return QStringList{"#",
                         "MeasurementNumber",
                         "DateTime",
                         "SamplingRate",
                         "BasisWeightValue",
                         "CalibrationConstantA",
                         "CalibrationConstantB"} +
             summary;
    case TransferKind::Brevane:
      return QStringList{"#",
                         "MeasurementNumber",
                         "IDCode",
                         "DateTime",
                         "TypeOfMeasuringHead",
                         "BasisWeightValue",
                         "BasisWeightUnit",
                         "TypeOfBasisWeight",
                         "SamplingRate",
                         "GradeNo",
                         "CalibrationConstantA",
                         "CalibrationConstantB",
                         "MoistureUnit",
                         "TemperatureUnit"} +
             summary;
  }
  return summary;
}

// Only the kind's list is filled; collections hold no null members.
std::vector<ScanRow> ScanRows(const ReadResults& results) {
  std::vector<ScanRow> rows;
  int position = 0;
  for (const auto& scan : results.lorvex) rows.push_back(LorvexRow(scan));
  for (const auto& record : results.ostrel) rows.push_back(OstrelRow(++position, *record));
  for (const auto& record : results.brevane) rows.push_back(BrevaneRow(++position, *record));
  return rows;
}

}  // namespace travimo::gui
