#pragma once
// One writer per output format, all behind one interface.
#include <memory>
#include <optional>
#include <ostream>
#include <string_view>

#include "cli/results.h"

namespace travimo::cli {

enum class OutputFormat { Table, Csv, Json };

class OutputWriter {
 public:
  virtual ~OutputWriter() = default;
  virtual void Write(const ReadResults& results, std::ostream& out) const = 0;
};

std::unique_ptr<OutputWriter> MakeWriter(OutputFormat format);
std::optional<OutputFormat> FormatFromName(std::string_view name);

}  // namespace travimo::cli
