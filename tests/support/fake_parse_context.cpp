#include "support/fake_parse_context.h"

#include <travimo/model/enums.h>

namespace travimo::testing {

void FakeParseContext::LetTravimoType(int32_t value) {
  state.travimoType = value;
  if (value != Lorvex) {
    state.numberOfPoints = state.pointLimit = NoLimit;
    state.blueLineTrigger = BlueLineOff;
    if (state.scanDataType == Burst) state.scanDataType = Moisture;
  } else if (state.numberOfPoints == NoLimit) {
    state.numberOfPoints = state.pointLimit = Max512;
    state.blueLineTrigger = BlueLineAuto;
  }
  changes.emplace_back("TravimoType");
}

void FakeParseContext::LetScanNumber(int32_t value) {
  SelectScan(state, value);
  changes.emplace_back("ScanNumber");
}

}  // namespace travimo::testing
