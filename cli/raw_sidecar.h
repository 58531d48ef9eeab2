#pragma once
// The tool's side of the raw-data settings sidecar (rawdata/raw_data_sidecar.h):
// applied by `parse` and `import` when it still matches the file.
#include <ostream>
#include <string>
#include <string_view>

#include "cli/control_settings.h"
#include "rawdata/raw_data_sidecar.h"

namespace travimo::cli {

// The settings FILE.json holds when it describes bytes, said on err; a
// sidecar that does not match or cannot be read is said there and ignored.
std::optional<RawDataSidecar> MatchingSidecar(const std::string& file, std::string_view bytes,
                                              std::ostream& err);

// Fills in what the options left out from a matching FILE.json: an option
// given explicitly wins.
void ApplyMatchingSidecar(const std::string& file, std::string_view bytes,
                          ControlSettings& settings, std::ostream& err);

}  // namespace travimo::cli
