// Windows grants a port to whoever opens it first: nothing to say about groups.
#include "cli/error_advice.h"

namespace travimo::cli {

std::string DeviceAccessAdvice(const std::string& device) {
  return device + " is open in another program, or your account may not use it: close the "
                  "other program, then read again.\n";
}

}  // namespace travimo::cli
