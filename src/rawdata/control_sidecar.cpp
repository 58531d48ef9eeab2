#include "rawdata/control_sidecar.h"

#include "platform/utc_time.h"

namespace travimo {

RawDataSidecar SidecarOfControl(const Travimo& control) {
  RawDataSidecar sidecar;
  sidecar.travimoType = control.TravimoType();
  sidecar.scanDataType = control.ScanDataType();
  sidecar.tempUnits = control.Temp_Units();
  sidecar.numberOfPoints = control.NumberOfPoints();
  sidecar.blueLineTrigger = control.BlueLineTrigger();
  sidecar.lineSettings = control.Settings();
  sidecar.handshaking = control.Handshaking();
  sidecar.program = std::string("travimo ") + TRAVIMO_VERSION_STRING;
  sidecar.started = UtcTimestampNow();
  return sidecar;
}

}  // namespace travimo
