#include "rawdata/control_sidecar.h"

#include "platform/utc_time.h"

namespace travimo {

RawDataSidecar SidecarOfControl(const Travimo& control) {
  RawDataSidecar sidecar;
  static_cast<DecodeSettings&>(sidecar) = DecodeSettingsOf(control);
  sidecar.lineSettings = control.Settings();
  sidecar.handshaking = control.Handshaking();
  sidecar.program = std::string("travimo ") + TRAVIMO_VERSION_STRING;
  sidecar.started = UtcTimestampNow();
  return sidecar;
}

RawDataSidecar SidecarAtEnd(RawDataSidecar started, const std::string& device) {
  started.ended = UtcTimestampNow();
  started.device = device;
  return started;
}

void SaveSidecar(const std::string& rawFile, RawDataSidecar sidecar, std::string_view bytes,
                 const TextFileWriter& write) {
  DescribeBytes(sidecar, bytes);
  write(SidecarPathFor(rawFile), SidecarText(sidecar));
}

bool SaveSidecarOfRead(const RawDataCapture& capture, const RawDataSidecar& ended,
                       const TextFileWriter& write) {
  const auto& saved = capture.LastSave();
  if (!saved || !saved->succeeded) return false;
  SaveSidecar(saved->name, ended, saved->bytes, write);
  return true;
}

}  // namespace travimo
