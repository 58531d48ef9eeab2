#pragma once
// A readable summary per scan: its place, type letter or header fields, the
// point count and the first points.
#include "cli/output_writer.h"

namespace travimo::cli {

class TableWriter : public OutputWriter {
 public:
  static constexpr int kFirstPoints = 8;
  void Write(const ReadResults& results, std::ostream& out) const override;
};

}  // namespace travimo::cli
