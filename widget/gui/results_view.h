#pragma once
// Records on screen: where they came from (and whether a later read failed),
// a table of their fields, and a plot of the current row's series. The main
// window shows the latest read or file in one; the history panel an archived read.
#include <QWidget>
#include <vector>

#include <travimo/control/read_results.h>
#include "exports/export_metadata.h"
#include "widget/gui/read_status.h"
#include "widget/gui/scan_rows.h"

class QTableWidget;

namespace travimo::gui {

class ScanPlot;

class ResultsView : public QWidget {
  Q_OBJECT

 public:
  explicit ResultsView(QWidget* parent = nullptr);

  void Show(ReadResults results, const QString& origin, exports::ExportMetadata metadata);
  // A later read failed: the shown records are the previous read's.
  void MarkStale();
  const ReadResults& Results() const { return results_; }
  const exports::ExportMetadata& Metadata() const { return metadata_; }
  bool Empty() const { return rows_.empty(); }
  // The selected cells as tab-separated lines, with the column headers.
  QString SelectionText() const;

  ReadStatusPanel* status() const { return status_; }
  QTableWidget* table() const { return table_; }
  ScanPlot* plot() const { return plot_; }

 private:
  void ShowCurrentRow();
  void CopySelection();

  ReadStatusPanel* status_;
  QTableWidget* table_;
  ScanPlot* plot_;
  ReadResults results_;
  exports::ExportMetadata metadata_;
  std::vector<ScanRow> rows_;
  QString origin_;
};

}  // namespace travimo::gui
