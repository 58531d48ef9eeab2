#include "errors.h"

#include <pybind11/eval.h>

#include "convert.h"
#include <travimo/model/enums.h>
#include <travimo/model/error.h>

namespace travimo::python {

namespace {

// Defined in Python so that it behaves like any exception class: picklable,
// subclassable, constructible by callers who want to raise it themselves.
constexpr const char* kDefinition = R"(
class TravimoError(Exception):
    """A failure of the control, a query or a read.

    number       the error number: a TravimoErrors code or a standard run-time number
    name         the TravimoErrors member name ("ComportError"), None for other numbers
    description  what went wrong, as the library describes it
    source       the component that raised it
    """

    def __init__(self, number, description="", source="", name=None):
        super().__init__(number, description, source, name)
        self.number = number
        self.description = description
        self.source = source
        self.name = name

    def __str__(self):
        label = f"{self.number} {self.name}" if self.name else str(self.number)
        return f"{label}: {self.description}" if self.description else label
)";

PyObject* gTravimoError = nullptr;  // owned by the module for the process's lifetime

py::object NameOf(int32_t number) {
  if (const auto name = MemberName("TravimoErrors", number)) return py::str(std::string(*name));
  return py::none();
}

}  // namespace

void RegisterErrors(py::module_& module) {
  py::dict scope;
  scope["__name__"] = "travimo";
  scope["__builtins__"] = py::module_::import("builtins");
  py::exec(kDefinition, scope);
  py::object type = scope["TravimoError"];
  module.attr("TravimoError") = type;
  gTravimoError = type.inc_ref().ptr();

  py::register_exception_translator([](std::exception_ptr error) {
    try {
      if (error) std::rethrow_exception(error);
    } catch (const RuntimeError& e) {
      SetTravimoError(e.Number(), e.Description(), e.Source());
    }
  });
}

void SetTravimoError(int32_t number, const std::string& description, const std::string& source) {
  const std::string text = description.empty() ? StandardDescription(number) : description;
  py::object instance = py::reinterpret_borrow<py::object>(gTravimoError)(
      number, Utf8(text), Utf8(source), NameOf(number));
  PyErr_SetObject(gTravimoError, instance.ptr());
}

void ThrowTravimoError(int32_t number, const std::string& description, const std::string& source) {
  SetTravimoError(number, description, source);
  throw py::error_already_set();
}

}  // namespace travimo::python
