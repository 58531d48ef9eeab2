// travimo.Control: the control on the real host, its properties under their
// own names (docstrings from the type library's help strings), its methods,
// and the events it raised.
#include <pybind11/stl.h>

#include <algorithm>
#include <cctype>

#include "bindings.h"
#include <travimo/control/type_info.h>
#include "control_properties.h"
#include "convert.h"
#include "errors.h"
#include "platform/posix/atomic_file.h"
#include <travimo/platform/posix/json_property_bag.h>
#include <travimo/platform/posix/read.h>
#include "platform/posix/regular_file.h"
#include "rawdata/control_sidecar.h"
#include "python_control.h"
#include "records_result.h"
#include "archive_binding.h"

namespace travimo::python {

namespace {

using namespace pybind11::literals;

std::string HelpOf(std::string_view name) {
  const MemberInfo* member = FindMember(name);
  if (!member) return {};
  std::string doc(member->helpString);
  std::string operations;
  for (const auto& [on, label] :
       {std::pair{member->operations.get, "Get"}, std::pair{member->operations.let, "Let"},
        std::pair{member->operations.set, "Set"}}) {
    if (on) operations += operations.empty() ? label : std::string(", ") + label;
  }
  if (!member->type.empty() && !member->operations.method) {
    if (!doc.empty()) doc += "\n\n";
    doc += std::string(member->type) + (operations.empty() ? "" : " (" + operations + ")");
  }
  return doc;
}

std::optional<TransferKind> KindOf(const py::object& kind) {
  if (kind.is_none()) return std::nullopt;
  if (py::isinstance<py::str>(kind)) {
    std::string name = kind.cast<std::string>();
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (name == "lorvex") return TransferKind::Lorvex;
    if (name == "ostrel") return TransferKind::Ostrel;
    if (name == "brevane") return TransferKind::Brevane;
    throw py::value_error("kind is \"lorvex\", \"ostrel\" or \"brevane\", not \"" + name + "\"");
  }
  return KindOfType(ToInt32(kind));
}

// The TravimoError event of the call just made, as an exception.
void RaiseLastError(PythonControl& c) {
  if (c.Site().errors.empty()) return;
  ThrowTravimoError(c.Site().errors.back(), c.Control().LastErrorDescription(),
                    std::string(kControlSource));
}

std::string ToBytes(const py::object& data) {
  if (py::isinstance<py::bytes>(data) || py::isinstance<py::str>(data)) return FromLatin1(data);
  return py::bytes(data).cast<std::string>();  // bytearray, memoryview
}

Records Decode(PythonControl& c, const py::object& data, const py::object& kind) {
  std::string text = ToBytes(data);
  const auto forced = KindOf(kind);
  const CollectionSnapshot before = SnapshotOf(c.Control());
  c.Site().errors.clear();
  if (forced) {
    c.Control().DecodeTransfer(std::move(text), *forced);
  } else {
    c.Control().DecodeTransfer(std::move(text));
  }
  c.RaiseCallbackError();
  RaiseLastError(c);
  return RecordsOf(CollectResults(c.Control(), FilledKind(before, c.Control())));
}

// A raw-data file saved by the read gets its settings sidecar.
void WriteSidecar(PythonControl& c, RawDataSidecar sidecar) {
  try {
    SaveSidecarOfRead(c.RawData(), SidecarAtEnd(std::move(sidecar), c.Serial().LastDevice()),
                      [](const std::string& name, std::string_view text) {
                        posix::ReplaceFileContent(name, text);
                      });
  } catch (const RuntimeError& error) {
    ThrowTravimoError(error.Number(), error.Description(), error.Source());
  }
}

Records Read(PythonControl& c, const py::object& archive) {
  const CollectionSnapshot before = SnapshotOf(c.Control());
  c.Site().errors.clear();
  c.RawData().Forget();
  const RawDataSidecar sidecar = SidecarOfControl(c.Control());
  const int64_t started = archive::NowUtcMs();
  c.RunYielding([&c] { c.Control().ReadTravimo(); });
  const ReadResults results = CollectResults(c.Control(), FilledKind(before, c.Control()));
  // Kept before a failure is raised: a failed read keeps what arrived.
  const auto entry = KeepInArchive(c, archive, results, started);
  RaiseLastError(c);
  WriteSidecar(c, sidecar);
  Records records = RecordsOf(results);
  records.archiveEntry = entry;
  return records;
}

py::tuple ReadRawFile(const std::string& path) {
  std::string bytes;
  try {
    bytes = posix::ReadRegularFile(path);
  } catch (const RuntimeError& error) {
    ThrowTravimoError(error.Number(), error.Description(), error.Source());
  }
  const SidecarLookup lookup = FindMatchingSidecar(
      path, bytes, [](const std::string& name) { return posix::ReadRegularFile(name); });
  py::object settings = py::none();
  if (const auto& s = lookup.sidecar) {
    settings = py::dict("type"_a = s->travimoType, "data"_a = s->scanDataType,
                        "points"_a = s->numberOfPoints, "units"_a = s->tempUnits,
                        "blue_line"_a = s->blueLineTrigger);
  }
  return py::make_tuple(py::bytes(bytes), settings,
                        lookup.note.empty() ? py::object(py::none()) : py::str(lookup.note));
}

bool IsProperty(const std::string& name) {
  const auto& all = ControlProperties();
  return std::any_of(all.begin(), all.end(), [&](const PropertySpec& p) { return p.name == name; });
}

void CheckProperty(const std::string& name) {
  if (!IsProperty(name)) throw py::attribute_error("the control has no property \"" + name + "\"");
}

void BindDisplayObjects(py::module_& m) {
  py::class_<StdFont, FontPtr>(m, "StdFont", "The button's font, shared by reference.")
      .def(py::init<>())
      .def_readwrite("name", &StdFont::name)
      .def_readwrite("size", &StdFont::size)
      .def_readwrite("bold", &StdFont::bold)
      .def_readwrite("italic", &StdFont::italic)
      .def_readwrite("underline", &StdFont::underline)
      .def_readwrite("strikethrough", &StdFont::strikethrough)
      .def_readwrite("weight", &StdFont::weight)
      .def_readwrite("charset", &StdFont::charset)
      .def("__eq__", [](const StdFont& a, const StdFont& b) { return a == b; })
      .def("__repr__", [](const StdFont& f) {
        return "StdFont(name='" + f.name + "', size=" + std::to_string(f.size) + ")";
      });
  py::class_<StdPicture, PicturePtr>(m, "StdPicture", "A picture, kept as the file it came from.")
      .def(
          py::init([](std::string path) { return std::make_shared<StdPicture>(StdPicture{path}); }),
          "path"_a = "")
      .def_readwrite("path", &StdPicture::path)
      .def("__eq__", [](const StdPicture& a, const StdPicture& b) { return a == b; })
      .def("__repr__", [](const StdPicture& p) { return "StdPicture('" + p.path + "')"; });
}

void BindProperties(py::class_<PythonControl>& cls) {
  for (const PropertySpec& p : ControlProperties()) {
    py::cpp_function get;
    if (p.get) {
      get = py::cpp_function([read = p.get](PythonControl& c) { return read(c); });
    } else {
      get = py::cpp_function([name = p.name](PythonControl&) -> py::object {
        throw py::attribute_error(name + " is write-only");
      });
    }
    py::cpp_function set;
    if (p.set) {
      set = py::cpp_function([write = p.set](PythonControl& c, const py::object& value) {
        write(c, value);
        c.RaiseCallbackError();
      });
    }
    const std::string doc = HelpOf(p.name);
    cls.def_property(p.name.c_str(), get, set, py::doc(doc.c_str()));
  }
}

void BindMethods(py::class_<PythonControl>& cls) {
  cls.def("read_travimo", &Read, "archive"_a = py::none(),
          "Reads the instrument and returns its Records. Raises TravimoError for a\n"
          "failed read and KeyboardInterrupt when Ctrl-C cancelled it.\n\n"
          "archive=True keeps the read (failed or not) in the default archive, a path\n"
          "in that one; an archive that cannot take it is a RuntimeWarning, never the\n"
          "read's end.")
      .def(
          "ReadTravimo",
          [](PythonControl& c) { c.RunYielding([&c] { c.Control().ReadTravimo(); }); },
          (HelpOf("ReadTravimo") + "\n\nAs the host sees it: failures are TravimoError events "
                                   "(see errors, on_error), nothing is raised.")
              .c_str())
      .def(
          "BKWait",
          [](PythonControl& c, int32_t HowManySecs) {
            c.RunYielding([&c, HowManySecs] { c.Control().BKWait(HowManySecs); });
            return HowManySecs;
          },
          "HowManySecs"_a, HelpOf("BKWait").c_str())
      .def(
          "ScanDataElement",
          [](PythonControl& c, int32_t ScanNumber, int32_t ScanDataItem) {
            const float value = c.Control().ScanDataElement(ScanNumber, ScanDataItem);
            c.RaiseCallbackError();
            return value;
          },
          "ScanNumber"_a, "ScanDataItem"_a,
          (HelpOf("ScanDataElement") +
           "\n\nOut of range it raises the TravimoError event 2 and returns 0.0.")
              .c_str())
      .def(
          "GetScanDataType",
          [](PythonControl& c, int32_t ScanNum) {
            return Latin1(c.Control().GetScanDataType(ScanNum));
          },
          "ScanNum"_a, "The type letter of that scan, \"\" when there is none.")
      .def("decode", &Decode, "data"_a, "kind"_a = py::none(),
           "Decodes a saved transfer (bytes) as the end of a read would and returns its\n"
           "Records; kind (\"lorvex\", \"ostrel\", \"brevane\") overrides the choice by text.\n"
           "Raises TravimoError when the parser fails.")
      .def(
          "DecodeTransfer",
          [](PythonControl& c, const py::object& data, const py::object& kind) {
            const auto forced = KindOf(kind);
            if (forced) {
              c.Control().DecodeTransfer(ToBytes(data), *forced);
            } else {
              c.Control().DecodeTransfer(ToBytes(data));
            }
            c.RaiseCallbackError();
          },
          "text"_a, "kind"_a = py::none(), "decode() with failures as TravimoError events.")
      .def(
          "records", [](PythonControl& c) { return RecordsOf(CollectResults(c.Control())); },
          "The Records of the current TravimoType's collection.")
      .def(
          "InitProperties", [](PythonControl& c) { c.Control().InitProperties(); },
          "The properties of a control placed afresh.")
      .def(
          "load_properties",
          [](PythonControl& c, const py::object& path) {
            const std::string file = py::str(py::module_::import("os").attr("fspath")(path));
            JsonPropertyBag bag = JsonPropertyBag::Load(file);
            if (bag.Existed()) {
              c.Control().ReadProperties(bag);
            } else {
              c.Control().InitProperties();
            }
          },
          "path"_a, "Loads the saved properties of a JSON property file (as the CLI's --props).")
      .def(
          "save_properties",
          [](PythonControl& c, const py::object& path) {
            const std::string file = py::str(py::module_::import("os").attr("fspath")(path));
            JsonPropertyBag bag = JsonPropertyBag::Load(file);  // keeps keys others wrote
            c.Control().WriteProperties(bag);
            bag.Save(file);
          },
          "path"_a, "Saves the properties to a JSON property file.")
      .def(
          "ButtonClick",
          [](PythonControl& c) { c.RunYielding([&c] { c.Control().ButtonClick(); }); },
          "A user's click on the read button: a read, then the Click event.")
      .def(
          "_apply_read_options",
          [](PythonControl& c, const py::object& type, const py::object& points,
             const py::object& data, const py::object& units, const py::object& blueLine,
             const py::object& settings, const py::object& port, const py::object& raw) {
            const auto value = [](const char* enumeration, const py::object& v) {
              return v.is_none() ? std::nullopt : std::optional(EnumValue(enumeration, v));
            };
            const auto text = [](const py::object& v) {
              return py::str(py::module_::import("os").attr("fspath")(v)).cast<std::string>();
            };
            ReadOptions options;
            options.type = value("TravimoTypeEnum", type);
            options.points = value("NumberOfPointsEnum", points);
            options.data = value("TravimoDataTypeEnum", data);
            options.units = value("TemperatureTypeEnum", units);
            options.blueLine = value("BlueLineTriggerType", blueLine);
            if (!settings.is_none()) options.settings = text(settings);
            if (!port.is_none()) options.port = ToInt16(port);
            if (!raw.is_none()) options.raw = text(raw);
            ApplyReadOptions(c.Control(), options);
            c.RaiseCallbackError();
          },
          py::kw_only(), "type"_a = py::none(), "points"_a = py::none(), "data"_a = py::none(),
          "units"_a = py::none(), "blue_line"_a = py::none(), "settings"_a = py::none(),
          "port"_a = py::none(), "raw"_a = py::none(),
          "Sets the read's properties as travimo::Read does (read() and parse_file() use it).")
      .def(
          "KeyPress", [](PythonControl& c, int16_t keyAscii) { c.Control().KeyPress(keyAscii); },
          "keyAscii"_a, "A key on the button; Escape (27) cancels a running read.");
}

void BindEvents(py::class_<PythonControl>& cls) {
  cls.def_property_readonly(
         "errors", [](PythonControl& c) { return c.Site().errors; },
         "The numbers of the TravimoError events since the last read or decode.")
      .def_property_readonly(
          "clicks", [](PythonControl& c) { return c.Site().clicks; }, "Click events so far.")
      .def_property_readonly(
          "property_changes", [](PythonControl& c) { return c.Site().Changes(); },
          "The names of the property changes recorded so far, in order.")
      .def(
          "clear_events",
          [](PythonControl& c) {
            c.Site().errors.clear();
            c.Site().clicks = 0;
            c.Site().ClearChanges();
          },
          "Forgets the events recorded so far.")
      .def_property(
          "on_error", [](PythonControl& c) { return c.Site().onError; },
          [](PythonControl& c, py::object f) { c.Site().onError = std::move(f); },
          "Called with the number of each TravimoError event, or None.")
      .def_property(
          "on_click", [](PythonControl& c) { return c.Site().onClick; },
          [](PythonControl& c, py::object f) { c.Site().onClick = std::move(f); },
          "Called for each Click event, or None.")
      .def_property_readonly(
          "LastErrorDescription",
          [](PythonControl& c) { return Utf8(c.Control().LastErrorDescription()); },
          "The description behind the last TravimoError event; \"\" when it had none.")
      .def_property_readonly(
          "Reading", [](PythonControl& c) { return c.Control().Reading(); },
          "True while a read is running (seen from a callback).")
      .def_property_readonly(
          "ReceivedSoFar", [](PythonControl& c) { return py::bytes(c.Control().ReceivedSoFar()); },
          "The bytes received by the running read.");
}

}  // namespace

void BindControl(py::module_& module) {
  BindDisplayObjects(module);
  BindRecordsResult(module);
  py::class_<PythonControl> cls(
      module, "Control",
      (std::string(TypeLibrary().helpString) +
       "\n\nThe control on this machine's serial ports. device is None (port N is\n"
       "/dev/ttyS{N-1}), one device for every port, or a callable from the port\n"
       "number to a device. A device is a path, socket://HOST:PORT (a raw TCP port)\n"
       "or rfc2217://HOST:PORT (a device server that takes the line settings).\n"
       "user_mode False stands for a form being designed. trace names a file that\n"
       "every open, write, read and hang-up of the serial line is appended to as\n"
       "it happens (\"-\" for stderr).")
          .c_str());
  cls.def(py::init<const py::object&, bool, const std::string&, bool, const py::object&>(),
          "device"_a = py::none(), "user_mode"_a = true, "locale"_a = "", "init"_a = true,
          "trace"_a = py::none());
  BindProperties(cls);
  BindMethods(cls);
  BindEvents(cls);
  cls.def(
         "get",
         [](py::object self, const std::string& name) {
           CheckProperty(name);
           return self.attr(name.c_str());
         },
         "name"_a, "The value of the property of that name.")
      .def(
          "set",
          [](py::object self, const std::string& name, const py::object& value) {
            CheckProperty(name);
            self.attr(name.c_str()) = value;
          },
          "name"_a, "value"_a, "Assigns the property of that name (its Let or Set).")
      .def_property_readonly_static(
          "property_names",
          [](const py::object&) {
            py::list names;
            for (const auto& p : ControlProperties()) names.append(p.name);
            return names;
          },
          "The names of the control's properties, in interface order.");
  module.def("_read_raw_file", &ReadRawFile, "path"_a,
             "The bytes of a raw-data file (a regular file of bounded size), the settings of\n"
             "its sidecar when that describes them (a dict, else None), and a note for the user.");
}

}  // namespace travimo::python
