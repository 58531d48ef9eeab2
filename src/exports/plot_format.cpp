#include <algorithm>
#include <cctype>
#include <cmath>
#include <string>

#include "exports/plot.h"

namespace travimo::exports {

std::optional<PlotFormat> PlotFormatFromPath(std::string_view path) {
  const auto dot = path.rfind('.');
  const auto slash = path.find_last_of("/\\");
  if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash)) {
    return std::nullopt;
  }
  std::string extension(path.substr(dot + 1));
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (extension == "svg") return PlotFormat::Svg;
  if (extension == "png") return PlotFormat::Png;
  if (extension == "pdf") return PlotFormat::Pdf;
  return std::nullopt;
}

std::vector<double> NiceTicks(double low, double high, int count) {
  std::vector<double> ticks;
  if (!(high > low) || count < 1 || !std::isfinite(high - low)) return ticks;
  const double rough = (high - low) / count;
  const double magnitude = std::pow(10.0, std::floor(std::log10(rough)));
  double step = magnitude;
  for (const double m : {1.0, 2.0, 5.0, 10.0}) {
    step = m * magnitude;
    if (step >= rough) break;
  }
  for (double t = std::ceil(low / step) * step; t <= high + step * 1e-9; t += step) {
    ticks.push_back(t);
  }
  return ticks;
}

}  // namespace travimo::exports
