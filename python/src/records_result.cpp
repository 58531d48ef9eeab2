#include "records_result.h"

#include <pybind11/stl.h>

#include "convert.h"

namespace travimo::python {

namespace {

template <class Record>
py::list ListOf(const std::vector<std::shared_ptr<Record>>& records) {
  py::list items;
  for (const auto& record : records) items.append(py::cast(record));
  return items;
}

}  // namespace

Records RecordsOf(const ReadResults& results) {
  Records records;
  records.instrument = KindName(results.kind);
  records.dataType = results.dataType;
  records.tempUnits = results.tempUnits;
  switch (results.kind) {
    case TransferKind::Lorvex:
      for (const auto& scan : results.lorvex) {
        records.items.append(py::cast(scan.record));
        records.typeLetters.append(Latin1(scan.typeLetter));
      }
      break;
    case TransferKind::Ostrel:
      records.items = ListOf(results.ostrel);
      break;
    case TransferKind::Brevane:
      records.items = ListOf(results.brevane);
      break;
  }
  return records;
}

void BindRecordsResult(py::module_& module) {
  py::class_<Records>(module, "Records",
                      "The records a read or a decode produced, in collection order.\n\n"
                      "instrument is \"Lorvex\", \"Ostrel\" or \"Brevane\"; for a Lorvex,\n"
                      "type_letters holds each scan's type letter, data_type and temp_units\n"
                      "the scaling that applied.")
      .def_readonly("instrument", &Records::instrument)
      .def_readonly("data_type", &Records::dataType)
      .def_readonly("temp_units", &Records::tempUnits)
      .def_readonly("archive_entry", &Records::archiveEntry,
                    "The read's number in the archive when it was kept there, else None.")
      .def_property_readonly("type_letters",
                             [](const Records& r) { return py::list(r.typeLetters); })
      .def("__len__", [](const Records& r) { return r.items.size(); })
      .def("__getitem__",
           [](const Records& r, const py::object& index) -> py::object { return r.items[index]; })
      .def("__iter__", [](const Records& r) { return py::iter(r.items); })
      .def("__bool__", [](const Records& r) { return !r.items.empty(); })
      .def("__repr__", [](const Records& r) {
        return "<Records " + r.instrument + ": " + std::to_string(r.items.size()) + " records>";
      });
}

}  // namespace travimo::python
