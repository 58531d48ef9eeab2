#include "sim/pty_device.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>
#include <vector>

namespace travimo::sim {
namespace {

[[noreturn]] void ThrowErrno(const std::string& what) {
  throw std::system_error(errno, std::generic_category(), what);
}

std::string LinkTarget(const std::string& path) {
  std::vector<char> buffer(4096);
  const ssize_t length = ::readlink(path.c_str(), buffer.data(), buffer.size());
  if (length < 0) return {};
  return std::string(buffer.data(), static_cast<size_t>(length));
}

}  // namespace

PtyDevice::PtyDevice() {
  master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (master_ < 0) ThrowErrno("posix_openpt");
  char name[128];
  if (::grantpt(master_) != 0 || ::unlockpt(master_) != 0 ||
      ::ptsname_r(master_, name, sizeof name) != 0) {
    const int error = errno;
    ::close(master_);
    throw std::system_error(error, std::generic_category(), "pseudo-terminal set-up");
  }
  slavePath_ = name;

  // Raw both ways: no echo, no line editing, no CR/LF translation, 8 bits.
  termios tty{};
  if (::tcgetattr(master_, &tty) == 0) {
    ::cfmakeraw(&tty);
    ::tcsetattr(master_, TCSANOW, &tty);
  }
  // Opening and closing the slave once puts the master into its hung-up state,
  // so that the first real open shows as a connection.
  const int slave = ::open(slavePath_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (slave >= 0) ::close(slave);

  const int flags = ::fcntl(master_, F_GETFL);
  if (flags >= 0) ::fcntl(master_, F_SETFL, flags | O_NONBLOCK);
}

PtyDevice::~PtyDevice() {
  HangUp();
}

void PtyDevice::HangUp() {
  if (master_ >= 0) ::close(master_);
  master_ = -1;
}

DeviceLink::DeviceLink(std::string linkPath, const std::string& target)
    : path_(std::move(linkPath)), target_(target) {
  struct stat existing {};
  if (::lstat(path_.c_str(), &existing) == 0) {
    if (!S_ISLNK(existing.st_mode)) {
      throw std::system_error(EEXIST, std::generic_category(), path_ + " is not a link");
    }
    if (::unlink(path_.c_str()) != 0) ThrowErrno("unlink " + path_);
  }
  if (::symlink(target_.c_str(), path_.c_str()) != 0) ThrowErrno("symlink " + path_);
}

DeviceLink::~DeviceLink() {
  // Someone may have pointed the name elsewhere meanwhile; leave that alone.
  if (LinkTarget(path_) == target_) ::unlink(path_.c_str());
}

}  // namespace travimo::sim
