// The series and the three record classes, with the members of their
// interfaces under the same names. Records are shared: a record read from a
// control is the control's own object, as the host of the control sees it.
#include <pybind11/stl.h>

#include <sstream>

#include "bindings.h"
#include "convert.h"
#include "model/brevane_record.h"
#include "model/lorvex_record.h"
#include "model/ostrel_record.h"
#include "model/scan_data.h"

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

void BindSingleArray(py::module_& m) {
  py::class_<SingleArray>(m, "SingleArray",
                          "An array of 4-byte floats with its own lower and upper bound.\n\n"
                          "values gives a float32 NumPy copy (numpy.asarray works too); At(i)\n"
                          "reads by the array's own index, from lower to upper.")
      .def(py::init([](const py::object& values, int32_t lower) {
             return SingleArray(lower, ToSingleArray(values).Values());
           }),
           "values"_a = py::list(), "lower"_a = 0)
      .def_property_readonly("lower", &SingleArray::LowerBound)
      .def_property_readonly("upper", &SingleArray::UpperBound)
      .def_property_readonly("values", &ToNumpy, "A float32 NumPy copy of the elements.")
      .def(
          "__array__",
          [](const SingleArray& a, const py::object& dtype) -> py::object {
            py::object array = ToNumpy(a);
            return dtype.is_none() ? array : array.attr("astype")(dtype);
          },
          "dtype"_a = py::none())
      .def("__len__", &SingleArray::Size)
      .def("__iter__", [](const SingleArray& a) { return py::iter(py::cast(a.Values())); })
      .def("At", &SingleArray::At, "index"_a, "The element at index; error 9 outside the bounds.")
      .def("__eq__", [](const SingleArray& a, const SingleArray& b) { return a == b; })
      .def("__repr__", &Describe);
}

// A series property of a record: the series object itself, shared, or None.
template <class Record>
void SeriesMember(py::class_<Record, std::shared_ptr<Record>>& cls, const char* name,
                  ScanDataPtr (Record::*get)() const, void (Record::*set)(ScanDataPtr),
                  const char* doc) {
  cls.def_property(name, get, set, doc);
}

// A data property: a copy of the series' array; assigning stores a copy.
template <class Record>
void DataMember(py::class_<Record, std::shared_ptr<Record>>& cls, const char* name,
                SingleArray (Record::*get)() const, void (Record::*set)(const SingleArray&),
                const char* doc) {
  cls.def_property(
      name, get, [set](Record& r, const py::object& value) { (r.*set)(ToSingleArray(value)); },
      doc);
}

template <class Record, class T>
void ValueMember(py::class_<Record, std::shared_ptr<Record>>& cls, const char* name,
                 T (Record::*get)() const, void (Record::*set)(T)) {
  cls.def_property(name, get, set);
}

template <class Record>
void TextMember(py::class_<Record, std::shared_ptr<Record>>& cls, const char* name,
                const std::string& (Record::*get)() const,
                void (Record::*set)(const std::string&)) {
  cls.def_property(
      name, [get](const Record& r) { return Latin1((r.*get)()); },
      [set](Record& r, const py::object& value) { (r.*set)(FromLatin1(value)); });
}

template <class Record>
void DateMember(py::class_<Record, std::shared_ptr<Record>>& cls) {
  cls.def_property(
         "DateTime", [](const Record& r) { return ToPython(r.DateTime()); },
         [](Record& r, const py::object& value) { r.DateTime(ToDate(value)); },
         "Date and time as a datetime; assign a datetime or days since 30 December 1899.")
      .def_property(
          "DateTimeValue", [](const Record& r) { return r.DateTime().Value(); },
          [](Record& r, double days) { r.DateTime(Date(days)); },
          "Date and time as days since 30 December 1899, the time of day as the fraction.");
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
  SeriesMember(cls, "cScanData", &CLorvexCls::cScanData, &CLorvexCls::cScanData,
               "The moisture series object (shared).");
  SeriesMember(cls, "cScanTemp", &CLorvexCls::cScanTemp, &CLorvexCls::cScanTemp,
               "The temperature series object (shared).");
  SeriesMember(cls, "cScanBurst", &CLorvexCls::cScanBurst, &CLorvexCls::cScanBurst,
               "The burst series object (shared).");
  cls.def(
      "AddScan",
      [](CLorvexCls& r, const py::object& array, int32_t type) {
        return r.AddScan(ToSingleArray(array), type);
      },
      "sngScanArray"_a, "lngScanType"_a,
      "Files the array into series 1 moisture, 2 temperature or 3 burst; always False.");
  DataMember(cls, "ScanData", &CLorvexCls::ScanData, &CLorvexCls::ScanData,
             "The moisture values (a copy).");
  DataMember(cls, "TemperatureData", &CLorvexCls::TemperatureData, &CLorvexCls::TemperatureData,
             "The temperature values (a copy).");
  DataMember(cls, "BurstData", &CLorvexCls::BurstData, &CLorvexCls::BurstData,
             "The burst values (a copy).");
  ValueMember(cls, "ScanNumber", &CLorvexCls::ScanNumber, &CLorvexCls::ScanNumber);
  cls.def("__repr__", [](const CLorvexCls& r) {
    return "<CLorvexCls ScanNumber=" + std::to_string(r.ScanNumber()) + ">";
  });
}

void BindOstrel(py::module_& m) {
  py::class_<COstrelCls, OstrelPtr> cls(m, "COstrelCls",
                                        "One Ostrel scan with the header of its measurement.");
  cls.def(py::init<>());
  SeriesMember(cls, "cScanData", &COstrelCls::cScanData, &COstrelCls::cScanData,
               "The series object (shared).");
  TextMember(cls, "CalibrationConstantA", &COstrelCls::CalibrationConstantA,
             &COstrelCls::CalibrationConstantA);
  TextMember(cls, "CalibrationConstantB", &COstrelCls::CalibrationConstantB,
             &COstrelCls::CalibrationConstantB);
  TextMember(cls, "BasisWeightValue", &COstrelCls::BasisWeightValue, &COstrelCls::BasisWeightValue);
  ValueMember(cls, "MeasurementNumber", &COstrelCls::MeasurementNumber,
              &COstrelCls::MeasurementNumber);
  ValueMember(cls, "SamplingRate", &COstrelCls::SamplingRate, &COstrelCls::SamplingRate);
  DateMember(cls);
  cls.def(
      "AddScan",
      [](COstrelCls& r, const py::object& array) { return r.AddScan(ToSingleArray(array)); },
      "sngScanArray"_a, "Replaces the series' array by a copy; always False.");
  DataMember(cls, "ScanData", &COstrelCls::ScanData, &COstrelCls::ScanData,
             "The scan's data points (a copy).");
  ValueMember(cls, "ScanNumber", &COstrelCls::ScanNumber, &COstrelCls::ScanNumber);
  cls.def("__repr__", [](const COstrelCls& r) {
    return "<COstrelCls MeasurementNumber=" + std::to_string(r.MeasurementNumber()) +
           " ScanNumber=" + std::to_string(r.ScanNumber()) + ">";
  });
}

void BindBrevane(py::module_& m) {
  py::class_<CBrevaneCls, BrevanePtr> cls(m, "CBrevaneCls",
                                          "One Brevane measurement: header fields and two series.");
  cls.def(py::init<>());
  SeriesMember(cls, "cScanData", &CBrevaneCls::cScanData, &CBrevaneCls::cScanData,
               "The moisture series object (shared).");
  SeriesMember(cls, "cScanTemp", &CBrevaneCls::cScanTemp, &CBrevaneCls::cScanTemp,
               "The temperature series object (shared).");
  TextMember(cls, "TypeOfMeasuringHead", &CBrevaneCls::TypeOfMeasuringHead,
             &CBrevaneCls::TypeOfMeasuringHead);
  ValueMember(cls, "MeasurementNumber", &CBrevaneCls::MeasurementNumber,
              &CBrevaneCls::MeasurementNumber);
  TextMember(cls, "IDCode", &CBrevaneCls::IDCode, &CBrevaneCls::IDCode);
  DateMember(cls);
  ValueMember(cls, "BasisWeightValue", &CBrevaneCls::BasisWeightValue,
              &CBrevaneCls::BasisWeightValue);
  TextMember(cls, "BasisWeightUnit", &CBrevaneCls::BasisWeightUnit, &CBrevaneCls::BasisWeightUnit);
  TextMember(cls, "TypeOfBasisWeight", &CBrevaneCls::TypeOfBasisWeight,
             &CBrevaneCls::TypeOfBasisWeight);
  ValueMember(cls, "SamplingRate", &CBrevaneCls::SamplingRate, &CBrevaneCls::SamplingRate);
  ValueMember(cls, "GradeNo", &CBrevaneCls::GradeNo, &CBrevaneCls::GradeNo);
  TextMember(cls, "CalibrationConstantA", &CBrevaneCls::CalibrationConstantA,
             &CBrevaneCls::CalibrationConstantA);
  TextMember(cls, "CalibrationConstantB", &CBrevaneCls::CalibrationConstantB,
             &CBrevaneCls::CalibrationConstantB);
  TextMember(cls, "MoistureUnit", &CBrevaneCls::MoistureUnit, &CBrevaneCls::MoistureUnit);
  TextMember(cls, "TemperatureUnit", &CBrevaneCls::TemperatureUnit, &CBrevaneCls::TemperatureUnit);
  ValueMember(cls, "ScanNumber", &CBrevaneCls::ScanNumber, &CBrevaneCls::ScanNumber);
  cls.def(
      "AddScan",
      [](CBrevaneCls& r, const py::object& array, bool temperature) {
        return r.AddScan(ToSingleArray(array), temperature);
      },
      "sngScanArray"_a, "booTemperature"_a,
      "Fills the temperature series when booTemperature, else the moisture series; False.");
  DataMember(cls, "ScanData", &CBrevaneCls::ScanData, &CBrevaneCls::ScanData,
             "The moisture values (a copy).");
  DataMember(cls, "TempData", &CBrevaneCls::TempData, &CBrevaneCls::TempData,
             "The temperature values (a copy).");
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
