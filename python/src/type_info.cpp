// The enumerations as IntEnum classes (member names without their spaces:
// NumberOfPointsEnum.Max512), and the type library's members for browsers.
#include <travimo/control/type_info.h>

#include <pybind11/stl.h>

#include "bindings.h"
#include <travimo/model/enums.h>

namespace travimo::python {

namespace {

using namespace pybind11::literals;

std::string Identifier(std::string_view name) {
  std::string id;
  for (const char c : name) {
    if (c != ' ') id += c;
  }
  return id;
}

py::dict MemberInfoOf(const MemberInfo& member) {
  py::dict info;
  info["slot"] = member.slot;
  info["name"] = std::string(member.name);
  info["type"] = std::string(member.type);
  info["get"] = member.operations.get;
  info["let"] = member.operations.let;
  info["set"] = member.operations.set;
  info["method"] = member.operations.method;
  info["hidden"] = member.hidden;
  info["help"] = std::string(member.helpString);
  py::list parameters;
  for (const ParameterInfo& p : member.parameters) parameters.append(std::string(p.name));
  info["parameters"] = parameters;
  return info;
}

}  // namespace

void BindTypeInfo(py::module_& module) {
  const py::object intEnum = py::module_::import("enum").attr("IntEnum");
  for (const EnumInfo& enumeration : LibraryEnumerations()) {
    py::list members;
    for (const EnumMember& member : enumeration.members) {
      members.append(py::make_tuple(Identifier(member.name), member.value));
    }
    py::object type = intEnum(std::string(enumeration.name), members, "module"_a = "travimo");
    module.attr(std::string(enumeration.name).c_str()) = type;
  }
  module.def(
      "members",
      [] {
        py::list members;
        for (const MemberInfo& member : TravimoMembers()) members.append(MemberInfoOf(member));
        return members;
      },
      "The members of the control's interface in slot order, with their help strings.");
}

}  // namespace travimo::python
