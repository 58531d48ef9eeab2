#include "python_control.h"

#include "convert.h"
#include <travimo/model/enums.h>
#include <travimo/model/error.h>

namespace travimo::python {

namespace {

constexpr int32_t kInterruptCheckMs = 100;

// The resolver runs inside a read, without the GIL; a failing callable is a
// port that cannot be opened.
posix::PortResolver ResolverFor(const py::object& device) {
  if (device.is_none()) return posix::DefaultDeviceFor;
  if (!PyCallable_Check(device.ptr())) {
    const std::string path = py::module_::import("os").attr("fspath")(device).cast<std::string>();
    return [path](int16_t) { return path; };
  }
  auto callable = std::make_shared<py::object>(device);
  return [callable](int16_t port) -> std::string {
    py::gil_scoped_acquire gil;
    try {
      return py::str((*callable)(port)).cast<std::string>();
    } catch (py::error_already_set& error) {
      throw RuntimeError(ComportError, std::string(kControlSource),
                         "no device for port " + std::to_string(port) + ": " + error.what());
    }
  };
}

// A raw network port that cannot carry the settings says so as a warning.
void WarnOf(const std::string& text) {
  py::gil_scoped_acquire gil;
  if (PyErr_WarnEx(PyExc_UserWarning, text.c_str(), 1) != 0) PyErr_Clear();
}

std::unique_ptr<posix::TraceFile> TraceFor(const py::object& trace) {
  if (trace.is_none()) return nullptr;
  return std::make_unique<posix::TraceFile>(
      py::module_::import("os").attr("fspath")(trace).cast<std::string>());
}

// Python's own handler for the message box: a warning, answered Ok.
MessageBoxResult WarnInstead(const MessageBoxRequest& request) {
  py::gil_scoped_acquire gil;
  const std::string text =
      request.title.empty() ? request.text : request.title + " " + request.text;
  if (PyErr_WarnEx(PyExc_UserWarning, text.c_str(), 1) != 0) PyErr_Clear();
  return MessageBoxResult::Ok;
}

}  // namespace

void PythonContainer::TravimoError(int32_t& ReadError) {
  errors.push_back(ReadError);
  if (onError.is_none()) return;
  py::gil_scoped_acquire gil;
  Call(onError, py::make_tuple(ReadError));
}

void PythonContainer::Click() {
  ++clicks;
  if (onClick.is_none()) return;
  py::gil_scoped_acquire gil;
  Call(onClick, py::make_tuple());
}

void PythonContainer::Call(const py::object& callback, const py::tuple& args) {
  if (callbackError_) return;
  try {
    callback(*args);
  } catch (py::error_already_set& error) {
    callbackError_ = std::move(error);
  }
}

PythonControl::PythonControl(const py::object& device, bool userMode, const std::string& locale,
                             bool init, const py::object& trace)
    : host_(locale),
      serial_(ResolverFor(device), WarnOf),
      trace_(TraceFor(trace)),
      traced_(serial_, trace_.get()),
      container_(userMode) {
  host_.OnMessageBox(WarnInstead);
  control_ = std::make_unique<Travimo>(ControlSite{container_, host_, files_, recording_});
  if (init) control_->InitProperties();
}

PythonControl::~PythonControl() = default;

void PythonControl::RunYielding(const std::function<void()>& work) {
  std::optional<py::error_already_set> interrupt;
  auto watch = host_.CreateTimer([this, &interrupt] {
    if (interrupt) return;
    py::gil_scoped_acquire gil;
    if (PyErr_CheckSignals() != 0) {
      interrupt.emplace();  // takes the pending KeyboardInterrupt
      control_->CancelTransfer(true);
    }
  });
  watch->Interval(kInterruptCheckMs);
  watch->Enabled(true);
  {
    py::gil_scoped_release release;
    work();
  }
  watch.reset();
  if (interrupt) throw std::move(*interrupt);
  RaiseCallbackError();
}

void PythonControl::RaiseCallbackError() {
  if (auto error = container_.TakeCallbackError()) throw std::move(*error);
}

}  // namespace travimo::python
