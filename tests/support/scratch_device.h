#pragma once
// A null device node of a test's own: a save that wrongly replaced a device
// then breaks this scratch node, never the machine's /dev/null.
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <string>

namespace travimo::testing {

// Empty when the node cannot be made (not root, or a nodev file system).
inline std::string ScratchNullDevice(const std::string& dir) {
  const std::string path = dir + "/null";
  if (::mknod(path.c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0) return {};
  return path;
}

}  // namespace travimo::testing
