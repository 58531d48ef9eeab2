#pragma once
// The scans as line plots on one chart, with axes, ticks, labels and a legend.
#include <string>
#include <string_view>
#include <vector>

#include "cli/output_writer.h"

namespace travimo::cli {

class SvgPlotWriter : public OutputWriter {
 public:
  void Write(const ReadResults& results, std::ostream& out) const override;
};

// Round tick positions covering low..high, about `count` of them.
std::vector<double> NiceTicks(double low, double high, int count);
std::string XmlEscape(std::string_view text);

}  // namespace travimo::cli
