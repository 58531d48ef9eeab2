#include "cli/error_report.h"

#include "cli/exit_status.h"
#include <travimo/model/enums.h>
#include <travimo/model/error.h>

namespace travimo::cli {

std::string ErrorLine(int32_t number, std::string_view description) {
  std::string line = "error " + std::to_string(number);
  if (const auto name = MemberName("TravimoErrors", number))
    line += " (" + std::string(*name) + ")";
  line += ": ";
  line += description.empty() ? StandardDescription(number) : std::string(description);
  return line;
}

int ReportError(std::ostream& err, int32_t number, std::string_view description) {
  err << "travimo: " << ErrorLine(number, description) << '\n';
  return StatusForError(number);
}

}  // namespace travimo::cli
