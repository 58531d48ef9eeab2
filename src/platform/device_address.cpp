#include "platform/device_address.h"

#include <algorithm>
#include <cctype>

namespace travimo {

namespace {

struct Scheme {
  std::string_view prefix;
  Transport transport;
};

constexpr Scheme kSchemes[] = {{"socket://", Transport::Socket},
                               {"rfc2217://", Transport::Rfc2217}};

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() &&
         std::equal(prefix.begin(), prefix.end(), text.begin(), [](char lower, char c) {
           return std::tolower(static_cast<unsigned char>(c)) == lower;
         });
}

// HOST:PORT or [IPV6]:PORT; a path or options after the port are not ours to guess at.
void SplitHostPort(std::string_view rest, DeviceAddress& address) {
  std::string_view host;
  std::string_view port;
  if (!rest.empty() && rest.front() == '[') {
    const size_t close = rest.find(']');
    if (close == std::string_view::npos || rest.substr(close + 1, 1) != ":") {
      address.problem = "expected [ADDRESS]:PORT";
      return;
    }
    host = rest.substr(1, close - 1);
    port = rest.substr(close + 2);
  } else {
    const size_t colon = rest.rfind(':');
    if (colon == std::string_view::npos) {
      address.host = rest;
      address.problem = "the port number is missing (HOST:PORT)";
      return;
    }
    host = rest.substr(0, colon);
    port = rest.substr(colon + 1);
  }
  if (host.empty()) {
    address.problem = "the host is missing (HOST:PORT)";
  } else if (port.empty() || !std::all_of(port.begin(), port.end(), [](char c) {
               return std::isalnum(static_cast<unsigned char>(c)) || c == '-';
             })) {
    address.problem = "\"" + std::string(port) + "\" is not a port number";
  }
  address.host = host;
  address.port = port;
}

}  // namespace

std::string DeviceAddress::Endpoint() const {
  return (host.find(':') != std::string::npos ? "[" + host + "]" : host) + ":" + port;
}

DeviceAddress ParseDeviceAddress(std::string_view device) {
  DeviceAddress address;
  for (const Scheme& scheme : kSchemes) {
    if (!StartsWithNoCase(device, scheme.prefix)) continue;
    address.transport = scheme.transport;
    SplitHostPort(device.substr(scheme.prefix.size()), address);
    return address;
  }
  return address;
}

}  // namespace travimo
