#include "widget/gui/offline_decode.h"

#include "widget/travimo_widget.h"

namespace travimo::gui {

DecodeSettings DecodeSettingsOf(const TravimoWidget& control) {
  return {control.travimoType(), control.scanDataType(), control.tempUnits(),
          control.numberOfPoints(), control.blueLineTrigger()};
}

Decoded DecodeOffline(std::string bytes, const DecodeSettings& settings) {
  TravimoWidget offline;
  Decoded decoded;
  QObject::connect(&offline, &TravimoWidget::travimoError, [&](int number) {
    decoded.errorNumber = number;
    decoded.errorDescription = offline.control().LastErrorDescription();
  });
  QObject::connect(&offline, &TravimoWidget::propertyError,
                   [&](const QString&, int number, const QString& description) {
                     decoded.errorNumber = number;
                     decoded.errorDescription = description.toStdString();
                   });
  // The type first: its Let adjusts the points limit.
  offline.setTravimoType(settings.travimoType);
  offline.setScanDataType(settings.scanDataType);
  offline.setTempUnits(settings.tempUnits);
  offline.setNumberOfPoints(settings.numberOfPoints);
  offline.setBlueLineTrigger(settings.blueLineTrigger);
  if (decoded.errorNumber != 0) return decoded;
  const CollectionSnapshot before = SnapshotOf(offline.control());
  offline.control().DecodeTransfer(std::move(bytes));
  const TransferKind kind = FilledKind(before, offline.control());
  decoded.results = CollectResults(offline.control(), kind);
  decoded.arrayStart = offline.arrayStart();
  if (decoded.errorNumber != 0) {
    // Records a failed parse may have left half made are not shown.
    decoded.results.lorvex.clear();
    decoded.results.ostrel.clear();
    decoded.results.brevane.clear();
  }
  return decoded;
}

}  // namespace travimo::gui
