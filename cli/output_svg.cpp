#include "cli/output_svg.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <limits>

#include "cli/record_view.h"

namespace travimo::cli {

namespace {

constexpr double kWidth = 900;
constexpr double kHeight = 500;
constexpr double kLeft = 80;
constexpr double kRight = 180;  // room for the legend
constexpr double kTop = 50;
constexpr double kBottom = 60;
constexpr size_t kLegendEntries = 20;
constexpr std::array<std::string_view, 10> kPalette = {"#1f77b4", "#d62728", "#2ca02c", "#ff7f0e",
                                                       "#9467bd", "#8c564b", "#e377c2", "#7f7f7f",
                                                       "#bcbd22", "#17becf"};

std::string Num(double value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.2f", value);
  return buffer;
}

std::string TickLabel(double value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%g", std::abs(value) < 1e-9 ? 0.0 : value);
  return buffer;
}

struct Curve {
  std::string label;
  SingleArray data;
};

struct Range {
  double low = std::numeric_limits<double>::infinity();
  double high = -std::numeric_limits<double>::infinity();
  void Include(double v) {
    if (!std::isfinite(v)) return;
    low = std::min(low, v);
    high = std::max(high, v);
  }
  bool Valid() const { return low <= high; }
  void Widen() {
    if (!Valid()) low = 0, high = 1;
    if (low == high) low -= 1, high += 1;
  }
};

std::string CurveLabel(const ReadResults& results, const RecordView& view) {
  std::string label = "Scan " + std::to_string(view.position);
  if (results.kind == TransferKind::Lorvex) {
    if (const auto* letter = view.Find("TypeLetter")) {
      const std::string text = FormatField(*letter);
      if (!text.empty()) label += " (" + text + ")";
    }
  } else if (const auto* number = view.Find("MeasurementNumber")) {
    label += ", meas. " + FormatField(*number);
  }
  return label;
}

std::vector<Curve> CurvesOf(const ReadResults& results) {
  std::vector<Curve> curves;
  for (const auto& view : ViewsOf(results)) {
    const auto& main = view.series.front();  // the scan's own series, ScanData
    if (!main.data.Empty()) curves.push_back({CurveLabel(results, view), main.data});
  }
  return curves;
}

std::string ValueAxisLabel(const ReadResults& results) {
  if (results.kind != TransferKind::Lorvex) return "ScanData";
  std::string label = DataTypeName(results.dataType);
  if (results.dataType == Temperature) {
    label += results.tempUnits == Fahrenheit ? " (\u00B0F)" : " (\u00B0C)";
  }
  return label;
}

class Canvas {
 public:
  Canvas(std::ostream& out, Range x, Range y) : out_(out), x_(x), y_(y) {}

  double X(double v) const { return kLeft + (v - x_.low) / (x_.high - x_.low) * PlotWidth(); }
  double Y(double v) const {
    return kTop + PlotHeight() - (v - y_.low) / (y_.high - y_.low) * PlotHeight();
  }
  static double PlotWidth() { return kWidth - kLeft - kRight; }
  static double PlotHeight() { return kHeight - kTop - kBottom; }

  void Text(double x, double y, std::string_view text, std::string_view attributes) {
    out_ << "<text x=\"" << Num(x) << "\" y=\"" << Num(y) << "\" " << attributes << ">"
         << XmlEscape(text) << "</text>\n";
  }
  void Line(double x1, double y1, double x2, double y2, std::string_view stroke) {
    out_ << "<line x1=\"" << Num(x1) << "\" y1=\"" << Num(y1) << "\" x2=\"" << Num(x2) << "\" y2=\""
         << Num(y2) << "\" stroke=\"" << stroke << "\"/>\n";
  }

  void Axes(const std::string& xLabel, const std::string& yLabel) {
    const double bottom = kTop + PlotHeight();
    for (const double t : NiceTicks(x_.low, x_.high, 8)) {
      Line(X(t), kTop, X(t), bottom, "#eeeeee");
      Line(X(t), bottom, X(t), bottom + 5, "#000000");
      Text(X(t), bottom + 18, TickLabel(t), "text-anchor=\"middle\"");
    }
    for (const double t : NiceTicks(y_.low, y_.high, 6)) {
      Line(kLeft, Y(t), kLeft + PlotWidth(), Y(t), "#eeeeee");
      Line(kLeft - 5, Y(t), kLeft, Y(t), "#000000");
      Text(kLeft - 8, Y(t) + 4, TickLabel(t), "text-anchor=\"end\"");
    }
    out_ << "<rect x=\"" << Num(kLeft) << "\" y=\"" << Num(kTop) << "\" width=\""
         << Num(PlotWidth()) << "\" height=\"" << Num(PlotHeight())
         << "\" fill=\"none\" stroke=\"#000000\"/>\n";
    Text(kLeft + PlotWidth() / 2, kHeight - 15, xLabel, "text-anchor=\"middle\"");
    const double middle = kTop + PlotHeight() / 2;
    Text(20, middle, yLabel,
         "text-anchor=\"middle\" transform=\"rotate(-90 20 " + Num(middle) + ")\"");
  }

  void Polyline(const SingleArray& data, std::string_view colour) {
    out_ << "<polyline fill=\"none\" stroke-width=\"1.2\" stroke=\"" << colour << "\" points=\"";
    int32_t index = data.LowerBound();
    for (const float value : data.Values()) {
      const double v = std::isfinite(value) ? value : 0.0;
      out_ << Num(X(index++)) << ',' << Num(Y(v)) << ' ';
    }
    out_ << "\"/>\n";
  }

  void Legend(const std::vector<Curve>& curves) {
    const double x = kLeft + PlotWidth() + 15;
    const size_t shown = std::min(curves.size(), kLegendEntries);
    for (size_t i = 0; i < shown; ++i) {
      const double y = kTop + 10 + 18 * static_cast<double>(i);
      Line(x, y - 4, x + 20, y - 4, kPalette[i % kPalette.size()]);
      Text(x + 26, y, curves[i].label, "");
    }
    if (curves.size() > shown) {
      // Appended, not prefixed: GCC 12 at -O2 warns falsely (-Wrestrict) on "+" + string.
      std::string more = "+";
      more += std::to_string(curves.size() - shown);
      more += " more";
      Text(x, kTop + 10 + 18 * static_cast<double>(shown), more, "");
    }
  }

 private:
  std::ostream& out_;
  Range x_;
  Range y_;
};

}  // namespace

std::vector<double> NiceTicks(double low, double high, int count) {
  std::vector<double> ticks;
  if (!(high > low) || count < 1) return ticks;
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

std::string XmlEscape(std::string_view text) {
  std::string escaped;
  for (const char c : text) {
    switch (c) {
      case '&':
        escaped += "&amp;";
        break;
      case '<':
        escaped += "&lt;";
        break;
      case '>':
        escaped += "&gt;";
        break;
      case '"':
        escaped += "&quot;";
        break;
      case '\'':
        escaped += "&apos;";
        break;
      default:
        // XML 1.0 allows no control characters but tab and line ends.
        if (static_cast<unsigned char>(c) >= 0x20 || c == '\t' || c == '\n') escaped += c;
    }
  }
  return escaped;
}

void SvgPlotWriter::Write(const ReadResults& results, std::ostream& out) const {
  const auto curves = CurvesOf(results);
  Range x, y;
  for (const auto& curve : curves) {
    x.Include(curve.data.LowerBound());
    x.Include(curve.data.UpperBound());
    for (const float v : curve.data.Values()) y.Include(v);
  }
  x.Widen();
  y.Widen();

  out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << kWidth << "\" height=\"" << kHeight
      << "\" viewBox=\"0 0 " << kWidth << ' ' << kHeight
      << "\" font-family=\"sans-serif\" font-size=\"12\">\n"
      << "<rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n";
  Canvas canvas(out, x, y);
  const int32_t n = results.Count();
  canvas.Text(kWidth / 2, 28,
              KindName(results.kind) + ": " + std::to_string(n) + (n == 1 ? " scan" : " scans"),
              "text-anchor=\"middle\" font-size=\"16\" font-weight=\"bold\"");
  canvas.Axes("Point", ValueAxisLabel(results));
  for (size_t i = 0; i < curves.size(); ++i) {
    canvas.Polyline(curves[i].data, kPalette[i % kPalette.size()]);
  }
  canvas.Legend(curves);
  if (curves.empty()) {
    canvas.Text(kLeft + Canvas::PlotWidth() / 2, kTop + Canvas::PlotHeight() / 2, "no data",
                "text-anchor=\"middle\"");
  }
  out << "</svg>\n";
}

}  // namespace travimo::cli
