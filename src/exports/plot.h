#pragma once
// The scans as line plots on one chart, with axes, ticks, a legend and axis
// labels that name the quantity and unit. SVG, PNG or PDF, chosen by the
// file's extension. Builds without Cairo define TRAVIMO_NO_PLOTS and have
// no WritePlot.
#include <optional>
#include <ostream>
#include <string_view>
#include <vector>

#include <travimo/control/read_results.h>

namespace travimo::exports {

enum class PlotFormat { Svg, Png, Pdf };

struct PlotOptions {
  PlotFormat format = PlotFormat::Svg;
  int width = 900;  // pixels for PNG, points for SVG and PDF
  int height = 500;
  static constexpr int kMinSide = 200;
  static constexpr int kMaxSide = 10000;
};

// By the extension, ignoring case: .svg, .png, .pdf; nullopt for any other.
std::optional<PlotFormat> PlotFormatFromPath(std::string_view path);

// Round tick positions covering low..high, about `count` of them.
std::vector<double> NiceTicks(double low, double high, int count);

#ifndef TRAVIMO_NO_PLOTS
// Throws std::runtime_error when the drawing library fails (out of memory).
void WritePlot(const ReadResults& results, const PlotOptions& options, std::ostream& out);
#endif

}  // namespace travimo::exports
