#pragma once
// The records of the last parse as table rows: the fields of each record by
// their property names, and the series worth plotting.
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

#include "formats/dispatch.h"
#include "model/scan_state.h"
#include "model/single_array.h"

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
std::vector<ScanRow> ScanRows(const ScanState& state, TransferKind kind);

// Which collection a parse replaced: the snapshot keeps the old collections
// alive, so a fresh one can never take an old one's address.
struct CollectionSnapshot {
  std::shared_ptr<CLorvexColCls> lorvex;
  std::shared_ptr<COstrelColCls> ostrel;
  std::shared_ptr<CBrevaneColCls> brevane;
};
CollectionSnapshot SnapshotOf(const ScanState& state);
std::optional<TransferKind> ReplacedKind(const CollectionSnapshot& before, const ScanState& after);

QString KindName(TransferKind kind);
// A series that no parse wrote: one 0.0 at index 0, as a record creates it.
bool NeverFilled(const SingleArray& series);

}  // namespace travimo::gui
