#include "widget/gui/scan_plot.h"

#include <QChart>
#include <QLineSeries>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

namespace travimo::gui {

ScanPlot::ScanPlot(QWidget* parent) : QChartView(parent) {
  setRenderHint(QPainter::Antialiasing);
  chart()->setTitle("No scan selected");
  chart()->legend()->setAlignment(Qt::AlignBottom);
  setMinimumHeight(220);
}

void ScanPlot::Show(const ScanRow* row, const QString& title) {
  QChart* plot = chart();
  plot->removeAllSeries();
  for (QAbstractAxis* axis : plot->axes()) {
    plot->removeAxis(axis);
    delete axis;
  }
  plot->setTitle(row ? title : QStringLiteral("No scan selected"));
  if (!row || row->series.empty()) return;

  auto* xAxis = new QValueAxis;
  auto* yAxis = new QValueAxis;
  xAxis->setTitleText("Element");
  xAxis->setLabelFormat("%d");
  plot->addAxis(xAxis, Qt::AlignBottom);
  plot->addAxis(yAxis, Qt::AlignLeft);
  double low = INFINITY;
  double high = -INFINITY;
  int first = INT32_MAX;
  int last = INT32_MIN;
  for (const auto& named : row->series) {
    auto* series = new QLineSeries;
    series->setName(named.name);
    int32_t index = named.data.LowerBound();
    QList<QPointF> points;
    points.reserve(named.data.Size());
    for (const float value : named.data.Values()) {
      // A value that is not a number has no place on a line.
      if (std::isfinite(value)) {
        points.append(QPointF(index, value));
        low = std::min<double>(low, value);
        high = std::max<double>(high, value);
      }
      ++index;
    }
    first = std::min(first, named.data.LowerBound());
    last = std::max(last, named.data.UpperBound());
    series->replace(points);
    plot->addSeries(series);
    series->attachAxis(xAxis);
    series->attachAxis(yAxis);
  }
  if (low > high) low = high = 0.0;
  const double margin = low == high ? 1.0 : (high - low) * 0.05;
  xAxis->setRange(first, std::max(last, first + 1));
  yAxis->setRange(low - margin, high + margin);
}

int ScanPlot::SeriesCount() const {
  return static_cast<int>(chart()->series().size());
}

void ScanPlot::Print(QPagedPaintDevice& page) {
  QPainter painter(&page);
  render(&painter);
}

}  // namespace travimo::gui
