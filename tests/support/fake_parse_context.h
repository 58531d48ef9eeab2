#pragma once
// A parse context without a control: the scan state, TravimoType's effects on
// it (points, blue line, data type) and the ScanNumber selection.
#include <string>
#include <vector>

#include "formats/parse_context.h"

namespace travimo::testing {

class FakeParseContext : public ParseContext {
 public:
  ScanState& MutableState() override { return state; }
  void LetTravimoType(int32_t value) override;
  void LetScanNumber(int32_t value) override;
  RegionalSettings Regional() override { return regional; }

  ScanState state;
  RegionalSettings regional;
  std::vector<std::string> changes;  // property changes the Lets recorded
};

}  // namespace travimo::testing
