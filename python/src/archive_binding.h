#pragma once
// The archive for Python: travimo.Archive to look through it, and reads kept
// in it when asked.
#include <pybind11/pybind11.h>

#include <cstdint>
#include <optional>

#include "archive/read_entry.h"
#include <travimo/control/read_results.h>
#include "python_control.h"

namespace travimo::python {

namespace py = pybind11;

// archive: None or False (not kept), True (the default archive) or a path.
// The entry's number; a failure to keep it is a RuntimeWarning and None.
std::optional<int64_t> KeepInArchive(PythonControl& control, const py::object& archive,
                                     const ReadResults& results, int64_t startedUtcMs);

void BindArchive(py::module_& module);

}  // namespace travimo::python
