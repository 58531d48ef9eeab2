// travimo.Simulator: an instrument on a pseudo-terminal for demos and tests,
// and sample_transfer, the bytes such an instrument sends.
#include "sim/simulator.h"

#include <pybind11/stl.h>

#include <algorithm>
#include <cctype>
#include <optional>

#include "bindings.h"
#include "convert.h"
#include <travimo/model/enums.h>

namespace travimo::python {

namespace {

using namespace pybind11::literals;

sim::Mode ModeOf(const py::object& type) {
  if (py::isinstance<py::str>(type)) {
    std::string name = type.cast<std::string>();
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (name == "lorvex") return sim::Mode::Lorvex;
    if (name == "ostrel") return sim::Mode::Ostrel;
    if (name == "brevane") return sim::Mode::Brevane;
    throw py::value_error("type is \"lorvex\", \"ostrel\" or \"brevane\", not \"" + name + "\"");
  }
  switch (ToInt32(type)) {
    case Ostrel:
      return sim::Mode::Ostrel;
    case Brevane:
      return sim::Mode::Brevane;
    case Lorvex:
      return sim::Mode::Lorvex;
    default:
      throw py::value_error("type is 1 (Lorvex), 2 (Brevane) or 3 (Ostrel)");
  }
}

std::unique_ptr<sim::Simulator> MakeSimulator(const py::object& type, int scans, size_t points,
                                              double delay, size_t burstSize, double burstPause,
                                              bool silent, const std::string& garbage,
                                              bool endMarker, std::optional<size_t> hangUpAfter,
                                              const py::object& transfer) {
  sim::Script script;
  script.mode = ModeOf(type);
  script.scans = scans;
  script.points = points;
  script.firstByteDelay = delay;
  script.burstSize = burstSize;
  script.burstPause = burstPause;
  script.silent = silent;
  script.garbage = garbage;
  script.endMarker = endMarker;
  script.hangUpAfter = hangUpAfter;
  auto simulator = std::make_unique<sim::Simulator>(script);
  if (!transfer.is_none()) {
    simulator->Provider(
        [bytes = FromLatin1(transfer)](const sim::TransferRequest&) { return bytes; });
  }
  return simulator;
}

py::dict StatsOf(const sim::Simulator& simulator) {
  const sim::SimulatorStats s = simulator.Stats();
  py::dict stats;
  stats["connections"] = s.connections;
  stats["requests"] = s.requests;
  stats["keep_alives"] = s.keepAlives;
  stats["last_data_type"] = s.lastDataType;
  stats["other_bytes"] = s.otherBytes;
  stats["bytes_sent"] = s.bytesSent;
  stats["transfers_started"] = s.transfersStarted;
  stats["hung_up"] = s.hungUp;
  return stats;
}

}  // namespace

void BindSimulator(py::module_& module) {
  py::class_<sim::Simulator>(
      module, "Simulator",
      "A simulated instrument at the far end of a pseudo-terminal.\n\n"
      "As a Lorvex it answers the control's request; as an Ostrel or a Brevane it\n"
      "sends its transfer a while after the port is opened. Use it as a context\n"
      "manager (it runs on a thread of its own while inside) and read from .device.\n"
      "transfer replaces the sample records by the given bytes.")
      .def(py::init(&MakeSimulator), "type"_a = "lorvex", "scans"_a = 3, "points"_a = 512,
           "delay"_a = 0.1, "burst_size"_a = 0, "burst_pause"_a = 0.0, "silent"_a = false,
           "garbage"_a = "", "end_marker"_a = true, "hang_up_after"_a = py::none(),
           "transfer"_a = py::none())
      .def_property_readonly("device", &sim::Simulator::SlavePath,
                             "The pseudo-terminal's path, to read from.")
      .def_property_readonly("stats", &StatsOf, "What the simulator has seen and sent so far.")
      .def("start", &sim::Simulator::Start, "Runs the simulator on its own thread.")
      .def("stop", &sim::Simulator::Stop, py::call_guard<py::gil_scoped_release>(),
           "Stops the thread.")
      .def("__enter__",
           [](py::object self) {
             self.cast<sim::Simulator&>().Start();
             return self;
           })
      .def("__exit__", [](sim::Simulator& s, const py::args&) {
        py::gil_scoped_release release;
        s.Stop();
      });

  module.def(
      "sample_transfer",
      [](const py::object& type, int scans, size_t points, int dataType, bool endMarker) {
        sim::TransferRequest request;
        request.mode = ModeOf(type);
        request.scans = scans;
        request.points = points;
        request.dataType = dataType;
        request.endMarker = endMarker;
        return py::bytes(sim::DefaultTransfer(request));
      },
      "type"_a = "lorvex", "scans"_a = 3, "points"_a = 512, "data_type"_a = 0,
      "end_marker"_a = true,
      "The bytes the simulator sends for these sample records, for parse_file and decode.");
}

}  // namespace travimo::python
