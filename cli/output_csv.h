#pragma once
// One row per point, each with the identifying fields of its record.
#include <string>
#include <string_view>

#include "cli/output_writer.h"

namespace travimo::cli {

class CsvWriter : public OutputWriter {
 public:
  void Write(const ReadResults& results, std::ostream& out) const override;
};

// A field quoted when it holds a comma, a quote, a line break or edge blanks.
std::string CsvField(std::string_view text);

}  // namespace travimo::cli
