#include "cli/session.h"

namespace travimo::cli {

ControlSession::ControlSession(posix::PortResolver resolver) : serial_(std::move(resolver)) {
  control_ = std::make_unique<Travimo>(ControlSite{container_, host_, files_, serial_});
}

posix::PortResolver FixedDevice(std::string path) {
  return [path = std::move(path)](int16_t) { return path; };
}

}  // namespace travimo::cli
