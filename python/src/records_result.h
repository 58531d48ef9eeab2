#pragma once
// Records: what a read or a decode produced, the records of the collection
// the last parse filled, as a read-only sequence with the instrument's name
// and, for a Lorvex, each scan's type letter.
#include <pybind11/pybind11.h>

#include <cstdint>
#include <string>

#include "formats/dispatch.h"
#include "model/scan_state.h"

namespace travimo::python {

namespace py = pybind11;

struct Records {
  std::string instrument;  // "Lorvex", "Ostrel" or "Brevane"
  int32_t dataType = 0;    // how Lorvex values were scaled
  int32_t tempUnits = 0;
  py::list items;
  py::list typeLetters;  // Lorvex only: one letter (or "") per record
};

// The collections' identities before a parse: every parse starts a fresh one.
struct CollectionSnapshot {
  const void* lorvex = nullptr;
  const void* ostrel = nullptr;
  const void* brevane = nullptr;
};
CollectionSnapshot Snapshot(const ScanState& state);
// The kind whose collection changed since before; the instrument type when none did.
TransferKind FilledKind(const CollectionSnapshot& before, const ScanState& after);
Records RecordsOf(const ScanState& state, TransferKind kind);
TransferKind KindOfType(int32_t travimoType);

void BindRecordsResult(py::module_& module);

}  // namespace travimo::python
