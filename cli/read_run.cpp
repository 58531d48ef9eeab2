#include "cli/read_run.h"

#include "cli/error_report.h"
#include "cli/exit_status.h"
#include "cli/progress.h"
#include "cli/property_file.h"
#include "model/error.h"

namespace travimo::cli {

namespace {

int ReportFileError(std::ostream& err, const RuntimeError& error) {
  ReportError(err, error.Number(), error.Description());
  return ExitStatus::File;
}

int Prepare(Travimo& control, const ReadRequest& request, Console& console) {
  try {
    if (request.propsFile.empty()) {
      control.InitProperties();
    } else {
      LoadProperties(control, request.propsFile);
    }
  } catch (const RuntimeError& error) {
    return ReportFileError(console.err, error);
  }
  try {
    ApplySettings(control, request.settings);
  } catch (const RuntimeError& error) {
    return ReportError(console.err, error.Number(), error.Description());
  }
  return ExitStatus::Ok;
}

// Pressing the button runs the read with the captions a user sees.
void PressButton(ControlSession& session, bool showProgress, Console& console) {
  Travimo& control = session.Control();
  if (!showProgress) {
    control.Value(true);
    return;
  }
  ReadProgress progress(session, console);
  control.Value(true);
  const auto& errors = session.Site().Errors();
  progress.Finish(errors.empty() ? "Done" : (errors.back() == UserCancel ? "Cancelled" : "Failed"));
}

}  // namespace

CollectionSnapshot Snapshot(const ScanState& state) {
  return {state.lorvexCol.get(), state.ostrelCol.get(), state.brevaneCol.get()};
}

TransferKind FilledKind(const CollectionSnapshot& before, const ScanState& after) {
  if (after.brevaneCol && after.brevaneCol.get() != before.brevane) return TransferKind::Brevane;
  if (after.ostrelCol && after.ostrelCol.get() != before.ostrel) return TransferKind::Ostrel;
  if (after.lorvexCol && after.lorvexCol.get() != before.lorvex) return TransferKind::Lorvex;
  switch (after.travimoType) {
    case Brevane:
      return TransferKind::Brevane;
    case Ostrel:
      return TransferKind::Ostrel;
    default:
      return TransferKind::Lorvex;
  }
}

int RunRead(ControlSession& session, const ReadRequest& request, const OutputOptions& output,
            Console& console) {
  Travimo& control = session.Control();
  if (const int status = Prepare(control, request, console); status != ExitStatus::Ok) {
    return status;
  }
  const CollectionSnapshot before = Snapshot(control.State());
  session.Site().ClearErrors();
  PressButton(session, request.showProgress, console);

  int status = ExitStatus::Ok;
  const auto& errors = session.Site().Errors();
  if (!errors.empty()) {
    status = ReportError(console.err, errors.back(), control.LastErrorDescription());
  }
  if (!request.propsFile.empty()) {
    try {
      SaveProperties(control, request.propsFile);
    } catch (const RuntimeError& error) {
      const int saveStatus = ReportFileError(console.err, error);
      if (status == ExitStatus::Ok) status = saveStatus;
    }
  }
  if (status != ExitStatus::Ok) return status;
  const ReadResults results = CollectResults(control.State(), FilledKind(before, control.State()));
  return EmitResults(results, output, console);
}

}  // namespace travimo::cli
