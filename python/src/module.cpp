// The compiled part of the travimo package.
#include <pybind11/pybind11.h>

#include "archive_binding.h"
#include "bindings.h"
#include "errors.h"

PYBIND11_MODULE(_travimo, module) {
  module.doc() = "Travimo - Retrieve Data From Lorvex, Ostrel, Brevane";
  module.attr("__version__") = TRAVIMO_VERSION_STRING;
  travimo::python::RegisterErrors(module);
  travimo::python::BindTypeInfo(module);
  travimo::python::BindRecords(module);
  travimo::python::BindControl(module);
  travimo::python::BindSimulator(module);
  travimo::python::BindArchive(module);
}
