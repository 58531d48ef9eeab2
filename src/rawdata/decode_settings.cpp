#include "rawdata/decode_settings.h"

#include <travimo/control/travimo.h>

namespace travimo {

DecodeSettings DecodeSettingsOf(const Travimo& control) {
  return {control.TravimoType(), control.ScanDataType(), control.Temp_Units(),
          control.NumberOfPoints(), control.BlueLineTrigger()};
}

void ApplyDecodeSettings(Travimo& control, const DecodeSettings& settings) {
  control.TravimoType(settings.travimoType);
  control.NumberOfPoints(settings.numberOfPoints);
  control.ScanDataType(settings.scanDataType);
  control.Temp_Units(settings.tempUnits);
  control.BlueLineTrigger(settings.blueLineTrigger);
}

}  // namespace travimo
