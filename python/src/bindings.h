#pragma once
// The parts of the module, one function each, called once from the module's init.
#include <pybind11/pybind11.h>

namespace travimo::python {

namespace py = pybind11;

void BindRecords(py::module_& module);    // SingleArray, CScanDataCls and the three records
void BindControl(py::module_& module);    // Control and Records
void BindSimulator(py::module_& module);  // Simulator, sample_transfer
void BindTypeInfo(py::module_& module);   // enumerations, members and their help strings

}  // namespace travimo::python
