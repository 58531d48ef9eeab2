#pragma once
// The sidecar of a read a control is about to run: its settings now, the
// device, count and hash filled in once the bytes are saved.
#include "control/travimo.h"
#include "rawdata/raw_data_sidecar.h"

namespace travimo {

RawDataSidecar SidecarOfControl(const Travimo& control);

}  // namespace travimo
