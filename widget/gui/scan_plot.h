#pragma once
// The plot of one record's series against their element index.
#include <QChartView>

class QPagedPaintDevice;

#include "widget/gui/scan_rows.h"

namespace travimo::gui {

class ScanPlot : public QChartView {
  Q_OBJECT

 public:
  explicit ScanPlot(QWidget* parent = nullptr);

  // Null clears the plot.
  void Show(const ScanRow* row, const QString& title);
  int SeriesCount() const;
  // The plot on one page, scaled to fill it.
  void Print(QPagedPaintDevice& page);
};

}  // namespace travimo::gui
