// The series and the three record classes, with the members of their
// interfaces under the same names. Records are shared: a record read from a
// control is the control's own object, as the host of the control sees it.
#include <pybind11/stl.h>

#include <sstream>

#include "bindings.h"
#include "convert.h"
#include <travimo/model/brevane_record.h>
#include <travimo/model/lorvex_record.h>
#include <travimo/model/ostrel_record.h>
#include <travimo/model/scan_data.h>
#include "model/series_access.h"

namespace travimo::python {

namespace {

using namespace pybind11::literals;

std::string Describe(const SingleArray& array) {
  std::ostringstream text;
  text << "SingleArray(lower=" << array.LowerBound() << ", upper=" << array.UpperBound() << ", [";
  const int32_t shown = std::min<int32_t>(array.Size(), 4);
  for (int32_t i = 0; i < shown; ++i) text << (i ? ", " : "") << array.Values()[i];
  text << (array.Size() > shown ? ", ...])" : "])");
  return text.str();
}

// The elements as a read-only float32 view that keeps the Python object (and
// so the array) alive: NumPy needs no copy, and nothing writes through it.
py::array ViewOf(const py::object& self) {
  const SingleArray& a = self.cast<const SingleArray&>();
  py::array_t<float> view({static_cast<py::ssize_t>(a.Size())}, {sizeof(float)},
                          a.Values().data(), self);
  view.attr("flags").attr("writeable") = false;
  return view;
}

float ElementAt(const SingleArray& a, int32_t index) {
  if (!a.Contains(index)) {
    throw py::index_error("index " + std::to_string(index) + " is outside " +
                          std::to_string(a.LowerBound()) + ".." + std::to_string(a.UpperBound()));
  }
  return a.At(index);
}

void BindSingleArray(py::module_& m) {
  py::class_<SingleArray>(m, "SingleArray",
                          "An array of 4-byte floats with its own lower and upper bound.\n\n"
                          "A sequence indexed by its own bounds: a[lower] .. a[upper] (an\n"
                          "index outside them is an IndexError, never counted from the end),\n"
                          "len(a), iteration in index order. numpy.asarray(a) is a read-only\n"
                          "float32 view without a copy; values is a writable copy.")
      .def(py::init([](const py::object& values, int32_t lower) {
             return SingleArray(lower, ToSingleArray(values).Values());
           }),
           "values"_a = py::list(), "lower"_a = 0)
      .def_property_readonly("lower", &SingleArray::LowerBound, "The lowest index.")
      .def_property_readonly("upper", &SingleArray::UpperBound,
                             "The highest index (lower - 1 when empty).")
      .def_property_readonly("values", &ToNumpy, "A float32 NumPy copy of the elements.")
      .def(
          "__array__",
          [](const py::object& self, const py::object& dtype, const py::object& copy) -> py::object {
            const py::object f32 = py::dtype::of<float>();
            const bool convert = !dtype.is_none() && !f32.equal(py::dtype::from_args(dtype));
            if (convert && !copy.is_none() && !copy.cast<bool>()) {
              throw py::value_error("a SingleArray holds float32; other types need a copy");
            }
            py::object view = ViewOf(self);
            if (convert) return view.attr("astype")(dtype);
            return !copy.is_none() && copy.cast<bool>() ? view.attr("copy")() : view;
          },
          "dtype"_a = py::none(), py::kw_only(), "copy"_a = py::none())
      .def("__len__", &SingleArray::Size)
      .def("__getitem__", &ElementAt, "index"_a)
      .def("__iter__", [](const py::object& self) { return py::iter(ViewOf(self).attr("tolist")()); })
      .def("At", &SingleArray::At, "index"_a, "The element at index; error 9 outside the bounds.")
      .def("__eq__", [](const SingleArray& a, const SingleArray& b) { return a == b; })
      .def("__repr__", &Describe);
}

// One property per field of the record's table; a series gives two, the
// series object itself (shared, or None) and its array (a copy either way).
// fields lists what to_dict() reads: the arrays instead of the series objects,
// and each date also as its day count.
template <class Record>
void BindFields(py::class_<Record, std::shared_ptr<Record>>& cls) {
  py::list names;
  for (const auto& entry : FieldTable<Record>()) {
    const FieldInfo<Record>* field = &entry;
    const std::string name(field->Name());
    auto get = [field](const Record& r) { return field->Get(r); };
    switch (field->Kind()) {
      case FieldKind::Series: {
        auto series = [field](const Record& r) { return std::get<ScanDataPtr>(field->Get(r)); };
        cls.def_property(
            name.c_str(), series, [field](Record& r, ScanDataPtr s) { field->Set(r, s); },
            "The series object (shared).");
        const std::string array(field->ArrayName());
        cls.def_property(
            array.c_str(), [series](const Record& r) { return RequireSeries(series(r)).ScanData(); },
            [series](Record& r, const py::object& value) {
              RequireSeries(series(r)).PassScanData(ToSingleArray(value));
            },
            ("The values of " + name + " (a copy).").c_str());
        names.append(array);
        continue;
      }
      case FieldKind::Text:
        cls.def_property(
            name.c_str(), [get](const Record& r) { return Latin1(std::get<std::string>(get(r))); },
            [field](Record& r, const py::object& value) { field->Set(r, FromLatin1(value)); });
        break;
      case FieldKind::Long:
        cls.def_property(
            name.c_str(), [get](const Record& r) { return std::get<int32_t>(get(r)); },
            [field](Record& r, int32_t value) { field->Set(r, value); });
        break;
      case FieldKind::Single:
        cls.def_property(
            name.c_str(), [get](const Record& r) { return std::get<float>(get(r)); },
            [field](Record& r, float value) { field->Set(r, value); });
        break;
      case FieldKind::Date:
        cls.def_property(
            name.c_str(), [get](const Record& r) { return ToPython(std::get<Date>(get(r))); },
            [field](Record& r, const py::object& value) { field->Set(r, ToDate(value)); },
            "A datetime; assign a datetime or days since 30 December 1899.");
        cls.def_property(
            (name + "Value").c_str(), [get](const Record& r) { return std::get<Date>(get(r)).Value(); },
            [field](Record& r, double days) { field->Set(r, Date(days)); },
            "Days since 30 December 1899, the time of day as the fraction.");
        names.append(name);
        names.append(name + "Value");
        continue;
    }
    names.append(name);
  }
  cls.attr("fields") = py::tuple(names);
}

void BindScanData(py::module_& m) {
  py::class_<CScanDataCls, ScanDataPtr>(m, "CScanDataCls",
                                        "One data series. Reads hand out a copy, writes store one.")
      .def(py::init<>())
      .def_property(
          "ScanData", [](const CScanDataCls& s) { return s.ScanData(); },
          [](CScanDataCls& s, const py::object& value) { s.ScanData(ToSingleArray(value)); },
          "A copy of the series' array, bounds included.")
      .def(
          "PassScanData",
          [](CScanDataCls& s, const py::object& value) {
            return s.PassScanData(ToSingleArray(value));
          },
          "sngData"_a, "Stores a copy of the array; always False.")
      .def("ElementData", &CScanDataCls::ElementData, "lngElement"_a,
           "The element at that index, 0.0 outside the bounds.")
      .def("__repr__",
           [](const CScanDataCls& s) { return "CScanDataCls(" + Describe(s.ScanData()) + ")"; });
}

void BindLorvex(py::module_& m) {
  py::class_<CLorvexCls, LorvexPtr> cls(m, "CLorvexCls",
                                        "One Lorvex scan: moisture, temperature and burst series.");
  cls.def(py::init<>());
  BindFields(cls);
  cls.def(
      "AddScan",
      [](CLorvexCls& r, const py::object& array, int32_t type) {
        return r.AddScan(ToSingleArray(array), type);
      },
      "sngScanArray"_a, "lngScanType"_a,
      "Files the array into series 1 moisture, 2 temperature or 3 burst; always False.");
  cls.def("__repr__", [](const CLorvexCls& r) {
    return "<CLorvexCls ScanNumber=" + std::to_string(r.ScanNumber()) + ">";
  });
}

void BindOstrel(py::module_& m) {
  py::class_<COstrelCls, OstrelPtr> cls(m, "COstrelCls",
                                        "One Ostrel scan with the header of its measurement.");
  cls.def(py::init<>());
  BindFields(cls);
  cls.def(
      "AddScan",
      [](COstrelCls& r, const py::object& array) { return r.AddScan(ToSingleArray(array)); },
      "sngScanArray"_a, "Replaces the series' array by a copy; always False.");
  cls.def("__repr__", [](const COstrelCls& r) {
    return "<COstrelCls MeasurementNumber=" + std::to_string(r.MeasurementNumber()) +
           " ScanNumber=" + std::to_string(r.ScanNumber()) + ">";
  });
}

void BindBrevane(py::module_& m) {
  py::class_<CBrevaneCls, BrevanePtr> cls(m, "CBrevaneCls",
                                          "One Brevane measurement: header fields and two series.");
  cls.def(py::init<>());
  BindFields(cls);
  cls.def(
      "AddScan",
      [](CBrevaneCls& r, const py::object& array, bool temperature) {
        return r.AddScan(ToSingleArray(array), temperature);
      },
      "sngScanArray"_a, "booTemperature"_a,
      "Fills the temperature series when booTemperature, else the moisture series; False.");
  cls.def("__repr__", [](const CBrevaneCls& r) {
    return "<CBrevaneCls MeasurementNumber=" + std::to_string(r.MeasurementNumber()) +
           " ScanNumber=" + std::to_string(r.ScanNumber()) + ">";
  });
}

}  // namespace

void BindRecords(py::module_& module) {
  BindSingleArray(module);
  BindScanData(module);
  BindLorvex(module);
  BindOstrel(module);
  BindBrevane(module);
}

}  // namespace travimo::python
