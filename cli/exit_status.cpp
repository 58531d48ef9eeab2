#include "cli/exit_status.h"

#include <travimo/model/enums.h>

namespace travimo::cli {

bool IsFileError(int32_t number) {
  // The platform's file-error numbers: bad file name or mode up to path not found.
  return number >= 52 && number <= 76;
}

int StatusForError(int32_t number) {
  switch (number) {
    case ComportReadError:
      return ExitStatus::ComportRead;
    case DataAccessError:
      return ExitStatus::DataAccess;
    case BlueLineError:
      return ExitStatus::BlueLine;
    case ComportError:
      return ExitStatus::Comport;
    case UserCancel:
      return ExitStatus::Cancelled;
    case InvalidOstrelDataError:
    case InvalidBrevaneDataError:
      return ExitStatus::InvalidData;
    default:
      break;
  }
  if (number >= 8000 && number <= 8099) return ExitStatus::SerialOther;
  if (IsFileError(number)) return ExitStatus::File;
  return ExitStatus::Other;
}

std::string ExitStatusHelp() {
  return "Exit status:\n"
         "   0  success\n"
         "   2  usage error (bad arguments)\n"
         "   3  nothing readable received (TravimoError 1, ComportReadError)\n"
         "   4  data access error (2, DataAccessError)\n"
         "   5  blue-line check failed (3, BlueLineError)\n"
         "   6  serial port cannot be opened (8002, ComportError)\n"
         "   7  other serial-port error (80xx)\n"
         "   8  invalid Ostrel or Brevane data (32769, 32770)\n"
         "   9  file error (raw-data, property, input or output file)\n"
         "  10  cancelled by Escape or Ctrl-C (9999, UserCancel)\n"
         "  11  any other error\n";
}

}  // namespace travimo::cli
