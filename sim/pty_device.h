#pragma once
// A pseudo-terminal pair in raw mode: the simulator holds the master, a
// program under test opens the slave path as if it were a serial port.
#include <string>

namespace travimo::sim {

class PtyDevice {
 public:
  // Throws std::system_error when no pseudo-terminal can be had.
  PtyDevice();
  ~PtyDevice();
  PtyDevice(const PtyDevice&) = delete;
  PtyDevice& operator=(const PtyDevice&) = delete;

  int MasterFd() const { return master_; }
  const std::string& SlavePath() const { return slavePath_; }
  bool IsOpen() const { return master_ >= 0; }
  // Closes the master: whoever has the slave open sees the line drop, and the
  // slave path goes away.
  void HangUp();

 private:
  int master_ = -1;
  std::string slavePath_;
};

// A symbolic link to the slave for as long as it lives, so that a port can be
// given a stable name. Replaces an existing symbolic link, never another file.
class DeviceLink {
 public:
  // Throws std::system_error when the link cannot be made.
  DeviceLink(std::string linkPath, const std::string& target);
  ~DeviceLink();
  DeviceLink(const DeviceLink&) = delete;
  DeviceLink& operator=(const DeviceLink&) = delete;

  const std::string& Path() const { return path_; }

 private:
  std::string path_;
  std::string target_;
};

}  // namespace travimo::sim
