#pragma once
// Where received bytes go when a read cannot deliver them as asked (an output
// or the archive cannot be written, the read is stopped at once): a file of
// their own under $XDG_STATE_HOME/travimo/ (~/.local/state/travimo/ without
// it), which `travimo parse` decodes later, with the read's settings when a
// sidecar is given. Never overwrites an earlier one.
#include <ostream>
#include <string>
#include <string_view>

#include "rawdata/raw_data_sidecar.h"

namespace travimo::cli {

// The new file's path. Fails with the RuntimeError of the failed save.
std::string KeepReceivedBytes(std::string_view bytes, const RawDataSidecar* sidecar = nullptr);

// Keeps the bytes and tells err where, or why they could not be kept.
void KeepInRecovery(std::string_view bytes, std::ostream& err,
                    const RawDataSidecar* sidecar = nullptr);

}  // namespace travimo::cli
