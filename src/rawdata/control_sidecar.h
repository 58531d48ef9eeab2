#pragma once
// The sidecar of a read a control runs: its settings when it starts, the end
// time and device when it ends, the count and hash once the bytes are saved.
// The CLI, the Python module and the widget all save it through here.
#include <functional>
#include <string>
#include <string_view>

#include <travimo/control/travimo.h>
#include "rawdata/raw_data_capture.h"
#include "rawdata/raw_data_sidecar.h"

namespace travimo {

RawDataSidecar SidecarOfControl(const Travimo& control);

// The started sidecar of a read that has just ended on device.
RawDataSidecar SidecarAtEnd(RawDataSidecar started, const std::string& device);

// Writes a whole file, failing with RuntimeError naming it; each host passes
// its atomic save.
using TextFileWriter = std::function<void(const std::string& name, std::string_view text)>;

// Saves FILE.json beside rawFile, describing bytes.
void SaveSidecar(const std::string& rawFile, RawDataSidecar sidecar, std::string_view bytes,
                 const TextFileWriter& write);

// Saves the sidecar of the raw-data file the read saved through capture, if
// it saved one; returns whether it did.
bool SaveSidecarOfRead(const RawDataCapture& capture, const RawDataSidecar& ended,
                       const TextFileWriter& write);

}  // namespace travimo
