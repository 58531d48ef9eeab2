#pragma once
// Bytes already received, decoded on a control of their own, so that the
// read settings on the form change only when the user changes them.
#include <cstdint>
#include <optional>
#include <string>

#include "control/read_results.h"

class TravimoWidget;

namespace travimo::gui {

// The settings that shape a decode, by their property names.
struct DecodeSettings {
  int32_t travimoType = 1;
  int32_t scanDataType = 0;
  int32_t tempUnits = 0;
  int32_t numberOfPoints = 512;
  int32_t blueLineTrigger = 0;
};

DecodeSettings DecodeSettingsOf(const TravimoWidget& control);

struct Decoded {
  ReadResults results;
  int32_t errorNumber = 0;  // 0: decoded
  std::string errorDescription;
  int32_t arrayStart = 0;  // as the parse left it
};

// The parser the text calls for, on a fresh control given settings.
Decoded DecodeOffline(std::string bytes, const DecodeSettings& settings);

}  // namespace travimo::gui
