// The commands that only show things: the control's type information and its
// About page.
#include <iomanip>

#include "cli/commands.h"
#include "cli/exit_status.h"
#include "control/about_page.h"
#include <travimo/control/type_info.h>

namespace travimo::cli {

namespace {

std::string OperationsText(const Operations& operations) {
  if (operations.method) return "method";
  std::string text;
  for (const auto& [on, name] :
       {std::pair{operations.get, "Get"}, {operations.let, "Let"}, {operations.set, "Set"}}) {
    if (!on) continue;
    if (!text.empty()) text += ", ";
    text += name;
  }
  return text;
}

std::string Signature(std::string_view name, std::span<const ParameterInfo> parameters) {
  std::string text(name);
  if (parameters.empty()) return text;
  text += '(';
  for (size_t i = 0; i < parameters.size(); ++i) {
    if (i > 0) text += ", ";
    text += parameters[i].byRef ? "ByRef " : "ByVal ";
    text += std::string(parameters[i].name) + " As " + std::string(parameters[i].type);
  }
  return text + ')';
}

void DescribeMembers(std::ostream& out) {
  out << "Members of _Travimo:\n";
  for (const auto& member : TravimoMembers()) {
    out << "  " << std::setw(2) << member.slot << "  " << Signature(member.name, member.parameters)
        << '\n';
    out << "        " << OperationsText(member.operations);
    if (!member.type.empty()) out << "  As " << member.type;
    out << "  (dispid " << member.dispId << ")";
    if (member.hidden) out << "  [hidden]";
    out << '\n';
    if (!member.helpString.empty()) out << "        \"" << member.helpString << "\"\n";
  }
}

void DescribeEvents(std::ostream& out) {
  out << "\nEvents of __Travimo:\n";
  for (const auto& event : TravimoEventMembers()) {
    out << "  " << std::setw(2) << event.slot << "  " << Signature(event.name, event.parameters)
        << "  (dispid " << event.dispId << ")\n";
    if (!event.helpString.empty()) out << "        \"" << event.helpString << "\"\n";
  }
}

void DescribeEnumerations(std::ostream& out) {
  out << "\nEnumerations:\n";
  for (const auto& enumeration : LibraryEnumerations()) {
    out << "  " << enumeration.name << '\n';
    for (const auto& member : enumeration.members) {
      out << "    " << std::left << std::setw(26) << member.name << std::right << member.value
          << '\n';
    }
  }
}

}  // namespace

int RunDescribeCommand(Console& console) {
  const LibraryInfo& library = TypeLibrary();
  console.out << library.name << " " << library.majorVersion << '.' << library.minorVersion
              << "  \"" << library.helpString << "\"\n\n";
  DescribeMembers(console.out);
  DescribeEvents(console.out);
  DescribeEnumerations(console.out);
  return ExitStatus::Ok;
}

int RunAboutCommand(Console& console) {
  console.out << RenderAboutText(MakeAboutPage(kLibraryVersion));
  return ExitStatus::Ok;
}

}  // namespace travimo::cli
