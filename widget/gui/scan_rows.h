#pragma once
// The records of the last parse as table rows: the fields of each record by
// their property names, and the series worth plotting.
#include <QString>
#include <QStringList>
#include <vector>

#include <travimo/control/read_results.h>
#include <travimo/model/single_array.h>

namespace travimo::gui {

struct NamedSeries {
  QString name;  // the record's data property: "ScanData", "TempData", ...
  SingleArray data;
};

struct ScanRow {
  int position = 0;   // 1-based place in the collection
  QStringList cells;  // one per column of ScanColumns
  std::vector<NamedSeries> series;
};

QStringList ScanColumns(TransferKind kind);
std::vector<ScanRow> ScanRows(const ReadResults& results);

}  // namespace travimo::gui
