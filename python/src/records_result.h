#pragma once
// Records: what a read or a decode produced, the records of the collection
// the last parse filled, as a read-only sequence with the instrument's name
// and, for a Lorvex, each scan's type letter.
#include <pybind11/pybind11.h>

#include <cstdint>
#include <optional>
#include <string>

#include <travimo/control/read_results.h>

namespace travimo::python {

namespace py = pybind11;

struct Records {
  std::string instrument;  // "Lorvex", "Ostrel" or "Brevane"
  int32_t dataType = 0;    // how Lorvex values were scaled
  int32_t tempUnits = 0;
  py::list items;
  py::list typeLetters;  // Lorvex only: one letter (or "") per record
  std::optional<int64_t> archiveEntry;  // the read's number in the archive, once kept
};

// The Python view of the control's results: records as Python objects.
Records RecordsOf(const ReadResults& results);

void BindRecordsResult(py::module_& module);

}  // namespace travimo::python
