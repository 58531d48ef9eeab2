#pragma once
// The control's properties as Python sees them: one entry per property of
// _Travimo, named as there, with the conversion of its type. A missing get
// is a write-only property, a missing set a read-only one; properties the
// host may never set keep their set, which the control itself refuses.
#include <pybind11/pybind11.h>

#include <functional>
#include <string>
#include <vector>

#include "python_control.h"

namespace travimo::python {

namespace py = pybind11;

struct PropertySpec {
  std::string name;
  std::function<py::object(PythonControl&)> get;
  std::function<void(PythonControl&, const py::object&)> set;
};

const std::vector<PropertySpec>& ControlProperties();

}  // namespace travimo::python
