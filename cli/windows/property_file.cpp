// Property files are saved through a POSIX-only routine so far.
#include "cli/property_file.h"

#include <travimo/model/error.h>

namespace travimo::cli {

namespace {

[[noreturn]] void Unavailable(const std::string& path) {
  throw RuntimeError(ErrorNumber::PathFileAccess, "Travimo",
                     "Cannot use the property file \"" + path +
                         "\": --props is not available in the Windows build yet");
}

}  // namespace

void LoadProperties(Travimo&, const std::string& path) {
  Unavailable(path);
}

void SaveProperties(Travimo&, const std::string& path, const std::string&) {
  Unavailable(path);
}

std::string RememberedDevice(const std::string&) {
  return {};
}

}  // namespace travimo::cli
