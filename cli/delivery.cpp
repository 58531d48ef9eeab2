#include "cli/delivery.h"

#include <cstdlib>

#include "cli/error_report.h"
#include "cli/exit_status.h"
#include "cli/native_files.h"
#include "cli/recovery.h"
#include <travimo/model/error.h>
#include "rawdata/control_sidecar.h"

namespace travimo::cli {

namespace {

RawDataSidecar Ended(RawDataSidecar sidecar, const ControlSession& session) {
  return SidecarAtEnd(std::move(sidecar), session.Serial().LastDevice());
}

}  // namespace

Delivery::Delivery(ControlSession& session, Console& console, RawDataSidecar started)
    : session_(session), console_(console), sidecar_(Ended(std::move(started), session)) {}

int Delivery::TakeReadOutcome(const FailureContext& failure) {
  Travimo& control = session_.Control();
  const auto& errors = session_.Site().Errors();
  const auto& raw = session_.RawData().LastSave();
  if (errors.empty()) {
    deliverable_ = true;
    try {
      SaveSidecarOfRead(session_.RawData(), sidecar_, SaveUserFile);
    } catch (const RuntimeError& error) {
      ReportError(console_.err, error.Number(), error.Description());
      return ExitStatus::File;
    }
    return ExitStatus::Ok;
  }
  const int status =
      ReportFailure(console_.err, errors.back(), control.LastErrorDescription(), failure);
  if (raw && !raw->succeeded) {
    Failed();
    // A line that failed before its end keeps its bytes but gives no records.
    if (!IsFileError(errors.back())) return status;
    session_.Site().ClearErrors();
    control.DecodeTransfer(raw->bytes);
    deliverable_ = errors.empty();
    if (!deliverable_) ReportError(console_.err, errors.back(), control.LastErrorDescription());
  }
  return status;
}

void Delivery::Failed() {
  if (kept_) return;
  kept_ = true;
  const auto& raw = session_.RawData().LastSave();
  if (raw && raw->succeeded) {
    console_.err << "travimo: the received bytes are in " << raw->name << '\n';
    return;
  }
  KeepInRecovery(raw ? std::string_view(raw->bytes) : session_.Serial().Received(), console_.err,
                 &sidecar_);
}

void StopAtOnce(ControlSession& session, Console& console, const RawDataSidecar& started) {
  try {
    MSComm& comm = session.Control().MSComm1();
    if (comm.PortOpen()) comm.PortOpen(false);
  } catch (...) {  // ending anyway; the kernel closes what is left
  }
  console.err << "travimo: stopped at once\n";
  const RawDataSidecar sidecar = Ended(started, session);
  KeepInRecovery(session.Serial().Received(), console.err, &sidecar);
  console.err.flush();
  std::_Exit(ExitStatus::Cancelled);
}

}  // namespace travimo::cli
