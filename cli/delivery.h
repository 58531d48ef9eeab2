#pragma once
// What becomes of a read's bytes once the button is up: whether there are
// records to deliver, and the recovery file (recovery.h) for the received
// bytes when an output, the archive or the raw-data file fails.
#include "cli/console.h"
#include "cli/error_advice.h"
#include "cli/session.h"
#include "rawdata/raw_data_sidecar.h"

namespace travimo::cli {

class Delivery {
 public:
  // started: the read's settings as the button was pressed.
  Delivery(ControlSession& session, Console& console, RawDataSidecar started);

  // The status of the read itself, reported. A read whose only fault was its
  // raw-data file still delivers: the bytes are kept and decoded here. A
  // raw-data file written gets its settings sidecar.
  // failure: what the user is told to do about a failed read.
  int TakeReadOutcome(const FailureContext& failure);
  bool Deliverable() const { return deliverable_; }
  // Something could not be written: the received bytes are kept (once), or
  // the user is told the raw-data file that already holds them.
  void Failed();

 private:
  ControlSession& session_;
  Console& console_;
  RawDataSidecar sidecar_;
  bool kept_ = false;
  bool deliverable_ = false;
};

// A second signal: the port closed, what arrived kept, the process ended
// with the cancel status.
[[noreturn]] void StopAtOnce(ControlSession& session, Console& console,
                             const RawDataSidecar& started);

}  // namespace travimo::cli
