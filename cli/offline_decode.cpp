#include "cli/offline_decode.h"

#include "cli/session.h"
#include <travimo/model/error.h>

namespace travimo::cli {

namespace {

void KeepSettings(const Travimo& control, OfflineDecode& decode) {
  decode.settings = DecodeSettingsOf(control);
  decode.arrayStart = control.ArrayStart();
}

}  // namespace

OfflineDecode DecodeOffline(std::string text, const ControlSettings& settings,
                            std::optional<TransferKind> force) {
  OfflineDecode decode;
  ControlSession session;
  Travimo& control = session.Control();
  try {
    control.InitProperties();
    ApplySettings(control, settings);
  } catch (const RuntimeError& error) {
    KeepSettings(control, decode);
    decode.errorNumber = error.Number();
    decode.errorDescription = error.Description();
    return decode;
  }
  KeepSettings(control, decode);
  const CollectionSnapshot before = SnapshotOf(control);
  const TransferKind kind = force.value_or(ClassifyTransfer(text));
  control.DecodeTransfer(std::move(text), kind);
  if (const auto& errors = session.Site().Errors(); !errors.empty()) {
    decode.errorNumber = errors.back();
    decode.errorDescription = control.LastErrorDescription();
    // The kind tried, without records a failed parse may have left half made.
    decode.results = CollectResults(control, kind);
    decode.results.lorvex.clear();
    decode.results.ostrel.clear();
    decode.results.brevane.clear();
    return decode;
  }
  decode.results = CollectResults(control, FilledKind(before, control));
  return decode;
}

}  // namespace travimo::cli
