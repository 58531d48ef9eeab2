#include <cairo-pdf.h>
#include <cairo-svg.h>
#include <cairo.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <limits>
#include <memory>
#include <numbers>
#include <stdexcept>

#include "exports/plot.h"
#include "exports/record_view.h"

namespace travimo::exports {

namespace {

constexpr double kLeft = 80;
constexpr double kRight = 180;  // room for the legend
constexpr double kTop = 50;
constexpr double kBottom = 60;
constexpr size_t kLegendEntries = 20;
struct Colour {
  double r, g, b;
};
constexpr std::array<Colour, 10> kPalette = {{{0.12, 0.47, 0.71},
                                              {0.84, 0.15, 0.16},
                                              {0.17, 0.63, 0.17},
                                              {1.00, 0.50, 0.05},
                                              {0.58, 0.40, 0.74},
                                              {0.55, 0.34, 0.29},
                                              {0.89, 0.47, 0.76},
                                              {0.50, 0.50, 0.50},
                                              {0.74, 0.74, 0.13},
                                              {0.09, 0.75, 0.81}}};

using Surface = std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)>;
using Context = std::unique_ptr<cairo_t, decltype(&cairo_destroy)>;

cairo_status_t WriteToStream(void* closure, const unsigned char* data, unsigned int length) {
  auto& out = *static_cast<std::ostream*>(closure);
  out.write(reinterpret_cast<const char*>(data), length);
  return out ? CAIRO_STATUS_SUCCESS : CAIRO_STATUS_WRITE_ERROR;
}

void Check(cairo_status_t status) {
  if (status != CAIRO_STATUS_SUCCESS) {
    throw std::runtime_error(std::string("cannot draw the plot: ") +
                             cairo_status_to_string(status));
  }
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
  void Widen() {
    if (!(low <= high)) low = 0, high = 1;
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

// The scan's own series of each record: ScanData.
std::vector<Curve> CurvesOf(const ReadResults& results, std::string& axisLabel) {
  std::vector<Curve> curves;
  for (const auto& view : ViewsOf(results)) {
    const auto& main = view.series.front();
    if (main.data.Empty()) continue;
    if (curves.empty()) {
      axisLabel = main.quantity;
      if (!axisLabel.empty() && axisLabel[0] >= 'a' && axisLabel[0] <= 'z') axisLabel[0] -= 32;
      if (!main.unit.empty()) axisLabel += " (" + main.unit + ")";
    }
    curves.push_back({CurveLabel(results, view), main.data});
  }
  return curves;
}

enum class Align { Left, Centre, Right };

class Chart {
 public:
  Chart(cairo_t* cr, double width, double height, Range x, Range y)
      : cr_(cr), width_(width), height_(height), x_(x), y_(y) {
    cairo_select_font_face(cr_, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr_, 12);
  }

  double X(double v) const { return kLeft + (v - x_.low) / (x_.high - x_.low) * PlotWidth(); }
  double Y(double v) const {
    return kTop + PlotHeight() - (v - y_.low) / (y_.high - y_.low) * PlotHeight();
  }
  double PlotWidth() const { return width_ - kLeft - kRight; }
  double PlotHeight() const { return height_ - kTop - kBottom; }

  void Background() {
    cairo_set_source_rgb(cr_, 1, 1, 1);
    cairo_paint(cr_);
  }

  void Title(const std::string& text) {
    cairo_save(cr_);
    cairo_select_font_face(cr_, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
    cairo_set_font_size(cr_, 16);
    Text(width_ / 2, 28, text, Align::Centre);
    cairo_restore(cr_);
  }

  void Axes(const std::string& xLabel, const std::string& yLabel) {
    const double bottom = kTop + PlotHeight();
    cairo_set_line_width(cr_, 1);
    for (const double t : NiceTicks(x_.low, x_.high, 8)) {
      Line(X(t), kTop, X(t), bottom, 0.93);
      Line(X(t), bottom, X(t), bottom + 5, 0);
      Text(X(t), bottom + 18, TickLabel(t), Align::Centre);
    }
    for (const double t : NiceTicks(y_.low, y_.high, 6)) {
      Line(kLeft, Y(t), kLeft + PlotWidth(), Y(t), 0.93);
      Line(kLeft - 5, Y(t), kLeft, Y(t), 0);
      Text(kLeft - 8, Y(t) + 4, TickLabel(t), Align::Right);
    }
    cairo_set_source_rgb(cr_, 0, 0, 0);
    cairo_rectangle(cr_, kLeft, kTop, PlotWidth(), PlotHeight());
    cairo_stroke(cr_);
    Text(kLeft + PlotWidth() / 2, height_ - 15, xLabel, Align::Centre);
    cairo_save(cr_);
    cairo_translate(cr_, 20, kTop + PlotHeight() / 2);
    cairo_rotate(cr_, -std::numbers::pi / 2);
    Text(0, 0, yLabel, Align::Centre);
    cairo_restore(cr_);
  }

  // A point that is not a number breaks the line rather than drawing it at 0.
  void Polyline(const SingleArray& data, const Colour& colour) {
    cairo_save(cr_);
    cairo_rectangle(cr_, kLeft, kTop, PlotWidth(), PlotHeight());
    cairo_clip(cr_);
    cairo_set_source_rgb(cr_, colour.r, colour.g, colour.b);
    cairo_set_line_width(cr_, 1.2);
    cairo_set_line_join(cr_, CAIRO_LINE_JOIN_ROUND);
    int32_t index = data.LowerBound();
    bool drawing = false;
    for (const float value : data.Values()) {
      if (!std::isfinite(value)) {
        drawing = false;
      } else if (drawing) {
        cairo_line_to(cr_, X(index), Y(value));
      } else {
        cairo_move_to(cr_, X(index), Y(value));
        drawing = true;
      }
      ++index;
    }
    cairo_stroke(cr_);
    cairo_restore(cr_);
  }

  void Legend(const std::vector<Curve>& curves) {
    const double x = kLeft + PlotWidth() + 15;
    const size_t shown = std::min(curves.size(), kLegendEntries);
    for (size_t i = 0; i < shown; ++i) {
      const double y = kTop + 10 + 18 * static_cast<double>(i);
      const Colour& c = kPalette[i % kPalette.size()];
      cairo_set_source_rgb(cr_, c.r, c.g, c.b);
      cairo_set_line_width(cr_, 2);
      cairo_move_to(cr_, x, y - 4);
      cairo_line_to(cr_, x + 20, y - 4);
      cairo_stroke(cr_);
      Text(x + 26, y, curves[i].label, Align::Left);
    }
    if (curves.size() > shown) {
      Text(x, kTop + 10 + 18 * static_cast<double>(shown),
           "+" + std::to_string(curves.size() - shown) + " more", Align::Left);
    }
  }

  void Text(double x, double y, const std::string& text, Align align) {
    cairo_text_extents_t extents;
    cairo_text_extents(cr_, text.c_str(), &extents);
    if (align == Align::Centre) x -= extents.x_advance / 2;
    if (align == Align::Right) x -= extents.x_advance;
    cairo_set_source_rgb(cr_, 0, 0, 0);
    cairo_move_to(cr_, x, y);
    cairo_show_text(cr_, text.c_str());
    cairo_new_path(cr_);
  }

 private:
  void Line(double x1, double y1, double x2, double y2, double grey) {
    cairo_set_source_rgb(cr_, grey, grey, grey);
    cairo_move_to(cr_, x1, y1);
    cairo_line_to(cr_, x2, y2);
    cairo_stroke(cr_);
  }

  cairo_t* cr_;
  double width_;
  double height_;
  Range x_;
  Range y_;
};

void Draw(cairo_t* cr, const ReadResults& results, double width, double height) {
  std::string axisLabel = "Value";
  const auto curves = CurvesOf(results, axisLabel);
  Range x, y;
  for (const auto& curve : curves) {
    x.Include(curve.data.LowerBound());
    x.Include(curve.data.UpperBound());
    for (const float v : curve.data.Values()) y.Include(v);
  }
  x.Widen();
  y.Widen();
  Chart chart(cr, width, height, x, y);
  chart.Background();
  const int32_t n = results.Count();
  const char* noun = results.kind == TransferKind::Lorvex ? " scan" : " measurement";
  chart.Title(KindName(results.kind) + ": " + std::to_string(n) + noun + (n == 1 ? "" : "s"));
  chart.Axes("Point index", axisLabel);
  for (size_t i = 0; i < curves.size(); ++i) {
    chart.Polyline(curves[i].data, kPalette[i % kPalette.size()]);
  }
  chart.Legend(curves);
  if (curves.empty()) {
    chart.Text(kLeft + chart.PlotWidth() / 2, kTop + chart.PlotHeight() / 2, "no data",
               Align::Centre);
  }
}

Surface MakeSurface(const PlotOptions& options, std::ostream& out) {
  const double w = options.width;
  const double h = options.height;
  switch (options.format) {
    case PlotFormat::Svg:
      return {cairo_svg_surface_create_for_stream(WriteToStream, &out, w, h),
              cairo_surface_destroy};
    case PlotFormat::Pdf:
      return {cairo_pdf_surface_create_for_stream(WriteToStream, &out, w, h),
              cairo_surface_destroy};
    case PlotFormat::Png:
      break;
  }
  return {cairo_image_surface_create(CAIRO_FORMAT_RGB24, options.width, options.height),
          cairo_surface_destroy};
}

}  // namespace

void WritePlot(const ReadResults& results, const PlotOptions& options, std::ostream& out) {
  const Surface surface = MakeSurface(options, out);
  Check(cairo_surface_status(surface.get()));
  {
    const Context cr(cairo_create(surface.get()), cairo_destroy);
    Draw(cr.get(), results, options.width, options.height);
    cairo_show_page(cr.get());
    Check(cairo_status(cr.get()));
  }
  if (options.format == PlotFormat::Png) {
    Check(cairo_surface_write_to_png_stream(surface.get(), WriteToStream, &out));
  }
  cairo_surface_finish(surface.get());
  Check(cairo_surface_status(surface.get()));
}

}  // namespace travimo::exports
