#pragma once
// What a parser may do to the control: read and write its scan state directly,
// and go through the two property Lets whose side effects a parse relies on.
#include <cstdint>

#include <travimo/model/scan_state.h>
#include <travimo/platform/regional_settings.h>

namespace travimo {

class ParseContext {
 public:
  virtual ~ParseContext() = default;
  virtual ScanState& MutableState() = 0;
  // TravimoType Let with all its effects (points, blue line, keep-alive, port).
  virtual void LetTravimoType(int32_t value) = 0;
  // ScanNumber Let: selection plus the property-change record.
  virtual void LetScanNumber(int32_t value) = 0;
  virtual RegionalSettings Regional() = 0;
};

}  // namespace travimo
