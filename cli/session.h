#pragma once
// The control on the operating system's host services, file system and
// serial backend, with the tool's container around it and an optional trace
// of the serial traffic. The session keeps what the read received and what it
// saved as raw data, for the recovery file.
#include <memory>
#include <ostream>
#include <string>

#include "cli/cli_container.h"
#include "cli/native_platform.h"
#include <travimo/control/travimo.h>
#include "platform/recording_serial.h"
#include <travimo/platform/serial_trace.h>
#include "rawdata/raw_data_capture.h"

namespace travimo::cli {

class ControlSession {
 public:
  // tracePath: empty for no trace, "-" for standard error. A trace file that
  // cannot be opened fails here, before any port is touched.
  explicit ControlSession(PortResolver resolver = NativeDeviceFor,
                          const std::string& tracePath = {});
  ControlSession(const ControlSession&) = delete;
  ControlSession& operator=(const ControlSession&) = delete;

  Travimo& Control() { return *control_; }
  NativeHost& Host() { return host_; }
  CliContainer& Site() { return container_; }
  // Says so when the trace stopped being written part-way.
  void ReportTrace(std::ostream& err) const;
  // What the last read received, after the control has let go of it.
  const RecordingSerial& Serial() const { return recording_; }
  // The last raw-data file the control saved, with its bytes.
  const RawDataCapture& RawData() const { return files_; }

 private:
  NativeHost host_;
  NativeFileSystem disk_;
  RawDataCapture files_{disk_};
  NativeSerial serial_;
  std::unique_ptr<NativeTraceFile> trace_;
  TracingBackend traced_;
  RecordingSerial recording_{traced_};
  CliContainer container_;
  std::unique_ptr<Travimo> control_;
};

// A resolver that sends every port number to one device.
PortResolver FixedDevice(std::string path);

}  // namespace travimo::cli
