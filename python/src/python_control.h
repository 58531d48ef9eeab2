#pragma once
// A control on the real POSIX host, file system and termios serial line, with
// a container that keeps the events for Python: the TravimoError numbers,
// the clicks and the property changes, and optional Python callbacks.
#include <pybind11/pybind11.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <travimo/control/travimo.h>
#include "platform/posix/device_backend.h"
#include <travimo/platform/posix/posix_file_system.h>
#include <travimo/platform/posix/posix_host.h>
#include "platform/posix/trace_file.h"
#include "platform/recording_serial.h"
#include <travimo/platform/serial_trace.h>
#include "rawdata/raw_data_capture.h"

namespace travimo::python {

namespace py = pybind11;

class PythonContainer : public Container, private TravimoEvents {
 public:
  explicit PythonContainer(bool userMode) : userMode_(userMode) {}

  bool UserMode() const override { return userMode_; }
  FontPtr AmbientFont() const override { return font_; }
  void PropertyChanged(std::string_view name) override { changes_.emplace_back(name); }
  TravimoEvents& Events() override { return *this; }

  std::vector<int32_t> errors;
  int clicks = 0;
  py::object onError = py::none();
  py::object onClick = py::none();

  const std::vector<std::string>& Changes() const { return changes_; }
  void ClearChanges() { changes_.clear(); }
  // A callback's exception, kept until the call that raised the event returns.
  std::optional<py::error_already_set> TakeCallbackError() {
    return std::exchange(callbackError_, {});
  }

 private:
  void TravimoError(int32_t& ReadError) override;
  void Click() override;
  void Call(const py::object& callback, const py::tuple& args);

  bool userMode_;
  FontPtr font_ = std::make_shared<StdFont>();
  std::vector<std::string> changes_;
  std::optional<py::error_already_set> callbackError_;
};

class PythonControl {
 public:
  // device: None (port N is /dev/ttyS{N-1}), a path for every port, or a
  // callable from the port number to a path. trace: None, or the file the
  // serial traffic is appended to ("-" for stderr).
  PythonControl(const py::object& device, bool userMode, const std::string& locale, bool init,
                const py::object& trace);
  ~PythonControl();
  PythonControl(const PythonControl&) = delete;
  PythonControl& operator=(const PythonControl&) = delete;

  Travimo& Control() { return *control_; }
  PythonContainer& Site() { return container_; }
  // What the last read received, kept after the control let go of it.
  const RecordingSerial& Serial() const { return recording_; }
  RawDataCapture& RawData() { return files_; }

  // Runs work that yields to the host loop (a read, BKWait) without the GIL.
  // Ctrl-C cancels the transfer; the KeyboardInterrupt is raised once the work
  // has returned, as is any exception of an event callback.
  void RunYielding(const std::function<void()>& work);
  // After a call that may have raised events outside a read.
  void RaiseCallbackError();

 private:
  posix::PosixHost host_;
  posix::PosixFileSystem disk_;
  RawDataCapture files_{disk_};
  posix::DeviceBackend serial_;
  std::unique_ptr<posix::TraceFile> trace_;
  TracingBackend traced_;
  RecordingSerial recording_{traced_};
  PythonContainer container_;
  std::unique_ptr<Travimo> control_;
};

}  // namespace travimo::python
