#include "cli/read_run.h"

#include <chrono>

#include "cli/delivery.h"
#include "cli/error_advice.h"
#include "cli/error_report.h"
#include "cli/exit_status.h"
#include "cli/native_platform.h"
#include "cli/output_checks.h"
#include "cli/progress.h"
#include "cli/property_file.h"
#include "exports/record_view.h"
#include <travimo/model/error.h>
#include "rawdata/control_sidecar.h"

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
void PressButton(ControlSession& session, const ReadRequest& request,
                 const RawDataSidecar& started, Console& console) {
  Travimo& control = session.Control();
  if (!request.showProgress) {
    control.Value(true);
    return;
  }
  ReadProgress progress(session, console, [&] { StopAtOnce(session, console, started); });
  control.Value(true);
  const auto& errors = session.Site().Errors();
  progress.Finish(errors.empty() ? "Done" : (errors.back() == UserCancel ? "Cancelled" : "Failed"));
}

// What the user needs to know about a read that failed.
FailureContext FailureOf(ControlSession& session, const ReadRequest& request, double waited) {
  Travimo& control = session.Control();
  FailureContext c;
  c.commPort = control.CommPort();
  c.deviceGiven = !request.device.empty();
  c.device = c.deviceGiven ? request.device : NativeDeviceFor(c.commPort);
  c.lineSettings = control.Settings();
  c.waitedSeconds = waited;
  c.receivedBytes = session.Serial().Received().size();
  const int32_t dataType = control.ScanDataType();
  if (control.TravimoType() != Lorvex) {
    c.sent = "sending nothing (the instrument sends its transfer when it is started there)";
  } else if (dataType >= Moisture && dataType <= Burst) {
    c.sent = "sending \"D\" and the byte " + std::to_string(dataType) + " (a request for " +
             exports::LorvexQuantity(dataType) + " scans)";
  } else {
    c.sent = "sending nothing (ScanDataType " + std::to_string(dataType) + " asks for no data)";
  }
  return c;
}

}  // namespace

int RunRead(ControlSession& session, const ReadRequest& request, const OutputOptions& output,
            Console& console) {
  Travimo& control = session.Control();
  if (const int status = Prepare(control, request, console); status != ExitStatus::Ok) {
    return status;
  }
  const std::string rawFile = control.SaveRawData() ? control.OutPutFileName() : std::string();
  if (const int status = CheckOutputFiles(
          {output.outputFile, output.plotFile, request.propsFile, rawFile}, console);
      status != ExitStatus::Ok) {
    return status;
  }
  const RawDataSidecar settingsAtStart = SidecarOfControl(control);
  const CollectionSnapshot before = SnapshotOf(control);
  session.Site().ClearErrors();
#ifndef TRAVIMO_NO_ARCHIVE
  const int64_t started = archive::NowUtcMs();
#endif
  const auto pressed = std::chrono::steady_clock::now();
  PressButton(session, request, settingsAtStart, console);
  const std::chrono::duration<double> waited = std::chrono::steady_clock::now() - pressed;

  Delivery delivery(session, console, settingsAtStart);
  int status = delivery.TakeReadOutcome(FailureOf(session, request, waited.count()));
  if (!request.propsFile.empty()) {
    try {
      SaveProperties(control, request.propsFile, request.rememberDevice);
    } catch (const RuntimeError& error) {
      const int saveStatus = ReportFileError(console.err, error);
      if (delivery.Deliverable()) delivery.Failed();
      if (status == ExitStatus::Ok) status = saveStatus;
    }
  }
  const ReadResults results = CollectResults(control, FilledKind(before, control));
  exports::ExportMetadata metadata;
  metadata.device = request.device.empty() ? NativeDeviceFor(control.CommPort()) : request.device;
  metadata.settings = exports::ParseSettingsOf(control, results.kind);
  int archiveStatus = ExitStatus::Ok;
#ifndef TRAVIMO_NO_ARCHIVE
  {
    const auto& errors = session.Site().Errors();
    archive::ReadEntry entry =
        archive::EntryOfRead(control, session.Serial().Received(), results,
                             errors.empty() ? 0 : errors.back(), started, archive::NowUtcMs());
    entry.source = request.source;
    entry.device = metadata.device;
    metadata.readUtcMs = started;
    archiveStatus = ArchiveRead(request.archive, entry, console, &metadata.archiveEntry);
    if (!request.archive.off && !metadata.archiveEntry) delivery.Failed();
  }
#endif
  if (!delivery.Deliverable()) return status;
  const int emitStatus = EmitResults(results, metadata, output, console);
  if (emitStatus != ExitStatus::Ok) delivery.Failed();
  if (status != ExitStatus::Ok) return status;
  return emitStatus != ExitStatus::Ok ? emitStatus : archiveStatus;
}

}  // namespace travimo::cli
