#include "records_result.h"

#include "convert.h"
#include "model/enums.h"

namespace travimo::python {

namespace {

std::string KindName(TransferKind kind) {
  switch (kind) {
    case TransferKind::Ostrel:
      return "Ostrel";
    case TransferKind::Brevane:
      return "Brevane";
    case TransferKind::Lorvex:
      break;
  }
  return "Lorvex";
}

template <class Collection>
py::list ListOf(const std::shared_ptr<Collection>& collection) {
  py::list items;
  if (collection) {
    for (const auto& record : *collection) items.append(py::cast(record));
  }
  return items;
}

}  // namespace

CollectionSnapshot Snapshot(const ScanState& state) {
  return {state.lorvexCol.get(), state.ostrelCol.get(), state.brevaneCol.get()};
}

TransferKind KindOfType(int32_t travimoType) {
  switch (travimoType) {
    case Brevane:
      return TransferKind::Brevane;
    case Ostrel:
      return TransferKind::Ostrel;
    default:
      return TransferKind::Lorvex;
  }
}

TransferKind FilledKind(const CollectionSnapshot& before, const ScanState& after) {
  if (after.brevaneCol && after.brevaneCol.get() != before.brevane) return TransferKind::Brevane;
  if (after.ostrelCol && after.ostrelCol.get() != before.ostrel) return TransferKind::Ostrel;
  if (after.lorvexCol && after.lorvexCol.get() != before.lorvex) return TransferKind::Lorvex;
  return KindOfType(after.travimoType);
}

Records RecordsOf(const ScanState& state, TransferKind kind) {
  Records records;
  records.instrument = KindName(kind);
  records.dataType = state.scanDataType;
  records.tempUnits = state.tempUnits;
  switch (kind) {
    case TransferKind::Lorvex:
      records.items = ListOf(state.lorvexCol);
      // The letters are kept by scan index, which starts at ArrayStart.
      for (size_t i = 0; i < records.items.size(); ++i) {
        const auto letter = state.scanTypeLetters.At(state.arrayStart + static_cast<int32_t>(i));
        records.typeLetters.append(Latin1(letter.value_or("")));
      }
      break;
    case TransferKind::Ostrel:
      records.items = ListOf(state.ostrelCol);
      break;
    case TransferKind::Brevane:
      records.items = ListOf(state.brevaneCol);
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
