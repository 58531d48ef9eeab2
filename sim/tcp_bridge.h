#pragma once
// Serves a serial device over raw TCP, one client at a time: what the client
// sends goes to the device and what the device sends goes to the client. A
// client that comes while another is served is turned away at once, so that
// it fails instead of waiting.
#include <cstdint>
#include <string>
#include <thread>

#include "sim/listen_address.h"

namespace travimo::sim {

class TcpBridge {
 public:
  // Listens at once; throws std::system_error when it cannot.
  TcpBridge(const ListenAddress& address, std::string devicePath);
  ~TcpBridge();  // stops the thread, closes every descriptor
  TcpBridge(const TcpBridge&) = delete;
  TcpBridge& operator=(const TcpBridge&) = delete;

  // The port actually bound (the one asked for, or the system's pick for 0).
  uint16_t Port() const { return port_; }
  const std::string& Host() const { return host_; }

 private:
  void Run();
  void Accept();
  void Serve(int from, int to);
  void DropClient();

  std::string host_;
  std::string devicePath_;
  uint16_t port_ = 0;
  int listener_ = -1;
  int client_ = -1;
  int device_ = -1;
  int wakeRead_ = -1;
  int wakeWrite_ = -1;
  std::thread thread_;
};

}  // namespace travimo::sim
