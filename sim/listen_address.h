#pragma once
// Where a simulated instrument listens; parsed apart from the bridge so that
// every build checks the option the same way.
#include <string>

namespace travimo::sim {

struct ListenAddress {
  std::string host = "127.0.0.1";  // loopback unless asked otherwise
  std::string port;
};

// "[HOST:]PORT"; throws std::invalid_argument for anything else.
ListenAddress ParseListenAddress(const std::string& text);

}  // namespace travimo::sim
