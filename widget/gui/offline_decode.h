#pragma once
// Bytes already received, decoded on a control of their own, so that the
// read settings on the form change only when the user changes them.
#include <cstdint>
#include <optional>
#include <string>

#include <travimo/control/read_results.h>
#include "rawdata/decode_settings.h"

namespace travimo::gui {

struct Decoded {
  ReadResults results;
  int32_t errorNumber = 0;  // 0: decoded
  std::string errorDescription;
  int32_t arrayStart = 0;  // as the parse left it
};

// The parser the text calls for, on a fresh control given settings.
Decoded DecodeOffline(std::string bytes, const DecodeSettings& settings);

}  // namespace travimo::gui
