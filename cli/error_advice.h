#pragma once
// What the user can do about a failure: the next step, from what the tool
// knows about the read or parse that failed.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace travimo::cli {

struct FailureContext {
  std::string device;        // the port's device or address; empty for a parse
  int16_t commPort = 0;      // the port number the control used
  bool deviceGiven = false;  // named with --device: messages name it by its path
  std::string lineSettings;  // "9600,n,8,1"
  std::string sent;          // what the read wrote to the port, in words
  double waitedSeconds = 0;  // how long the read ran
  size_t receivedBytes = 0;
  std::string inputFile;  // the file a parse read; empty for a read
};

// The description as the user should see it: a port given by --device named
// by its path rather than its number.
std::string UserDescription(std::string_view description, const FailureContext& context);

// Lines of advice, each ending in a line break; empty when there is nothing to add.
std::string NextStep(int32_t number, std::string_view description, const FailureContext& context);

// Who may open the device and whether this user is among them; empty when
// the device is not a local file or nothing useful can be said.
std::string DeviceAccessAdvice(const std::string& device);

// Reports the failure with its next step; returns the exit status for the number.
int ReportFailure(std::ostream& err, int32_t number, std::string_view description,
                  const FailureContext& context);

}  // namespace travimo::cli
