#pragma once
// What a device string names: a local serial device by path, or a serial
// port behind a device server on the network, as socket://HOST:PORT (a raw
// byte stream) or rfc2217://HOST:PORT (Telnet with the COM port option).
// The one place that tells the forms apart.
#include <string>
#include <string_view>

namespace travimo {

enum class Transport { Local, Socket, Rfc2217 };

struct DeviceAddress {
  Transport transport = Transport::Local;
  std::string host;     // without the brackets of an IPv6 address
  std::string port;     // a number or a service name
  std::string problem;  // why a network form is malformed; empty when it is sound

  // "host:port", "[::1]:port" for messages.
  std::string Endpoint() const;
};

DeviceAddress ParseDeviceAddress(std::string_view device);

}  // namespace travimo
