#pragma once
// Every record with every field and each series as {"lower": .., "values": [..]}.
#include <nlohmann/json.hpp>

#include "cli/output_writer.h"

namespace travimo::cli {

class JsonWriter : public OutputWriter {
 public:
  void Write(const ReadResults& results, std::ostream& out) const override;
};

nlohmann::ordered_json ResultsToJson(const ReadResults& results);

}  // namespace travimo::cli
