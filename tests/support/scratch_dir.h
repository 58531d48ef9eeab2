#pragma once
// A directory of a test's own under /tmp, a null device node there, and a
// file's whole content.
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

namespace travimo::testing {

class ScratchDir {
 public:
  ScratchDir() {
    char pattern[] = "/tmp/travimo-test-XXXXXX";
    if (::mkdtemp(pattern) == nullptr) throw std::runtime_error("cannot make a scratch directory");
    path_ = pattern;
  }
  ~ScratchDir() {
    namespace fs = std::filesystem;
    std::error_code ignored;  // a test may have taken the owner's rights away
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(path_, ignored);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  std::string operator/(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

// A save that wrongly replaced a device then breaks this node, never the
// machine's /dev/null. Empty when the node cannot be made (not root, or a
// nodev file system).
inline std::string ScratchNullDevice(const std::string& dir) {
  const std::string path = dir + "/null";
  return ::mknod(path.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0 ? path : "";
}

inline std::string ContentOf(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

}  // namespace travimo::testing
