#pragma once
// The lock file that terminal programs and loggers take on a serial device:
// LCK..NAME in the system's lock directory, holding the owner's pid in ASCII
// (ten characters, right-aligned, and a newline). Honouring it keeps us off a
// port held by a program that does not use flock; taking it tells such
// programs that the port is ours.
#include <string>

namespace travimo::posix {

// The first of /var/lock and /run/lock that exists; empty when neither does.
std::string DefaultLockDirectory();

// The lock file's name for a device: links resolved, the path below /dev with
// "/" turned into "_" (/dev/ttyUSB0 gives LCK..ttyUSB0, /dev/pts/3 LCK..pts_3).
std::string LockFileName(const std::string& device);

class UucpLock {
 public:
  UucpLock() = default;
  ~UucpLock() { Release(); }
  UucpLock(UucpLock&& other) noexcept;
  UucpLock& operator=(UucpLock&& other) noexcept;
  UucpLock(const UucpLock&) = delete;
  UucpLock& operator=(const UucpLock&) = delete;

  // Takes the device's lock in directory, first removing one whose process is
  // gone. Returns the pid of a live process that holds it (this one included),
  // and 0 otherwise. A lock that cannot be written (no directory, no
  // permission) is not taken; the port's flock still guards it.
  long Take(const std::string& directory, const std::string& device);
  // Removes the lock file if it still names this process.
  void Release();

  const std::string& File() const { return file_; }  // empty when nothing is held

 private:
  std::string file_;
};

}  // namespace travimo::posix
