#include "cli/control_settings.h"

namespace travimo::cli {

void ApplySettings(Travimo& control, const ControlSettings& settings) {
  if (settings.type) control.TravimoType(*settings.type);
  if (settings.points) control.NumberOfPoints(*settings.points);
  if (settings.dataType) control.ScanDataType(*settings.dataType);
  if (settings.units) control.Temp_Units(*settings.units);
  if (settings.blueLine) control.BlueLineTrigger(*settings.blueLine);
  if (settings.settings) control.Settings(*settings.settings);
  if (settings.port) control.CommPort(*settings.port);
  if (settings.rawFile) {
    control.OutPutFileName(*settings.rawFile);
    control.SaveRawData(true);
  }
}

}  // namespace travimo::cli
