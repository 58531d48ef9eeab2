#include "widget/gui/offline_decode.h"

#include <travimo/model/error.h>
#include "widget/travimo_widget.h"

namespace travimo::gui {

Decoded DecodeOffline(std::string bytes, const DecodeSettings& settings) {
  TravimoWidget offline;
  Decoded decoded;
  QObject::connect(&offline, &TravimoWidget::travimoError, [&](int number) {
    decoded.errorNumber = number;
    decoded.errorDescription = offline.control().LastErrorDescription();
  });
  try {
    ApplyDecodeSettings(offline.control(), settings);
  } catch (const RuntimeError& error) {
    decoded.errorNumber = error.Number();
    decoded.errorDescription = error.Description();
    return decoded;
  }
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
