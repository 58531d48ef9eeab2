#include "cli/error_advice.h"

#include <cstdio>
#include <ostream>

#include "cli/error_report.h"
#include <travimo/model/enums.h>

namespace travimo::cli {

namespace {

bool Contains(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

std::string Seconds(double seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f s", seconds);
  return text;
}

std::string NothingReadable(const FailureContext& c) {
  if (!c.inputFile.empty()) {
    return c.inputFile + " holds no instrument transfer (" + std::to_string(c.receivedBytes) +
           " bytes): give parse a file that read --raw saved, or the bytes a device sent.\n";
  }
  std::string text;
  if (c.receivedBytes == 0) {
    text = "Nothing arrived from " + c.device + " in " + Seconds(c.waitedSeconds) + " after " +
           c.sent + ".\n";
  } else {
    text = std::to_string(c.receivedBytes) + " bytes arrived from " + c.device + " in " +
           Seconds(c.waitedSeconds) + ", but no complete transfer; --raw FILE keeps them.\n";
  }
  return text +
         "Usual causes: the cable (instrument end seated, a null-modem cable or adapter where "
         "the instrument needs one); the line settings (" +
         c.lineSettings +
         " here; --settings must match the instrument's); the instrument not sending (start "
         "its transfer, then read within the time it waits).\n";
}

std::string PortNotOpened(std::string_view description, const FailureContext& c) {
  if (Contains(description, "Permission denied")) {
    const std::string access = DeviceAccessAdvice(c.device);
    return access.empty() ? "You may not open " + c.device + ": check its permissions.\n"
                          : access;
  }
  if (Contains(description, "No such file")) {
    return "There is no device " + c.device +
           ": is the instrument's adapter plugged in? travimo ports lists the serial devices "
           "present.\n";
  }
  if (Contains(description, "in use")) {
    return "Close the program that holds the port, or wait for it to finish.\n";
  }
  if (Contains(description, "not a serial") || Contains(description, "Inappropriate ioctl")) {
    return c.device + " is not a serial port: travimo ports lists the serial devices present.\n";
  }
  return "travimo ports lists the serial devices present; check that " + c.device +
         " is one of them.\n";
}

std::string DoesNotDecode(const FailureContext& c, std::string_view instrument) {
  if (!c.inputFile.empty()) {
    return c.inputFile + " is not a complete " + std::string(instrument) +
           " transfer: --type forces another parser if the text was misjudged.\n";
  }
  return "The transfer arrived but does not decode as a " + std::string(instrument) +
         " transfer: check the line settings (" + c.lineSettings +
         " here) and the cable; --raw FILE keeps the bytes for a look.\n";
}

}  // namespace

std::string UserDescription(std::string_view description, const FailureContext& context) {
  std::string text(description);
  if (!context.deviceGiven || context.device.empty()) return text;
  const std::string byNumber =
      "COM" + std::to_string(context.commPort) + " (" + context.device + ")";
  if (const auto at = text.find(byNumber); at != std::string::npos) {
    text.replace(at, byNumber.size(), context.device);
  }
  return text;
}

std::string NextStep(int32_t number, std::string_view description, const FailureContext& c) {
  switch (number) {
    case ComportReadError:
      return NothingReadable(c);
    case BlueLineError:
      return "The blue-line check is on and a scan is no blue-line scan (type letter C): "
             "measure the blue line first, or read with --blue-line auto or off.\n";
    case ComportError:
      return PortNotOpened(description, c);
    case InvalidOstrelDataError:
      return DoesNotDecode(c, "Ostrel");
    case InvalidBrevaneDataError:
      return DoesNotDecode(c, "Brevane");
    default:
      break;
  }
  if (number >= 8000 && number <= 8099 && c.inputFile.empty()) {
    return "The serial port failed during the read: check the cable and the adapter, then read "
           "again.\n";
  }
  return {};
}

int ReportFailure(std::ostream& err, int32_t number, std::string_view description,
                  const FailureContext& context) {
  const int status = ReportError(err, number, UserDescription(description, context));
  err << NextStep(number, description, context);
  return status;
}

}  // namespace travimo::cli
