#pragma once
// A decode of bytes already received, on a control of its own: what `parse`
// does with a file and `reparse` with an archived read.
#include <cstdint>
#include <optional>
#include <string>

#include "cli/control_settings.h"
#include <travimo/control/read_results.h>
#include "formats/dispatch.h"
#include "rawdata/decode_settings.h"

namespace travimo::cli {

struct OfflineDecode {
  ReadResults results;
  int32_t errorNumber = 0;  // 0: decoded; else the settings or the text failed
  std::string errorDescription;
  // Every setting that shaped the parse, as the control held it.
  DecodeSettings settings;
  int32_t arrayStart = 0;
};

// The control starts from its initial properties with settings applied; the
// parser is force when given, else the one the text calls for.
OfflineDecode DecodeOffline(std::string text, const ControlSettings& settings,
                            std::optional<TransferKind> force);

}  // namespace travimo::cli
