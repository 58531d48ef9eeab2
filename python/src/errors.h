#pragma once
// travimo.TravimoError: every RuntimeError of the library and every
// TravimoError event of a read reach Python as this one exception, carrying
// the number, the TravimoErrors member name (None for other numbers), the
// description and the source.
#include <pybind11/pybind11.h>

#include <cstdint>
#include <string>

namespace travimo::python {

namespace py = pybind11;

void RegisterErrors(py::module_& module);

// Sets the Python error; the caller then throws py::error_already_set.
void SetTravimoError(int32_t number, const std::string& description, const std::string& source);
[[noreturn]] void ThrowTravimoError(int32_t number, const std::string& description,
                                    const std::string& source);

}  // namespace travimo::python
