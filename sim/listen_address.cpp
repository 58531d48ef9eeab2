#include "sim/listen_address.h"

#include <stdexcept>

namespace travimo::sim {

ListenAddress ParseListenAddress(const std::string& text) {
  ListenAddress address;
  const size_t colon = text.rfind(':');
  address.port = colon == std::string::npos ? text : text.substr(colon + 1);
  if (colon != std::string::npos) address.host = text.substr(0, colon);
  if (address.host.size() > 1 && address.host.front() == '[' && address.host.back() == ']') {
    address.host = address.host.substr(1, address.host.size() - 2);
  }
  const bool digits =
      !address.port.empty() && address.port.find_first_not_of("0123456789") == std::string::npos;
  if (!digits || address.host.empty() || std::stoul(address.port) > 65535) {
    throw std::invalid_argument("expected [HOST:]PORT, not \"" + text + "\"");
  }
  return address;
}

}  // namespace travimo::sim
