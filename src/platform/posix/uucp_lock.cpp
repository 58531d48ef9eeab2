#include "platform/posix/uucp_lock.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <utility>

#include "platform/posix/unique_fd.h"

namespace travimo::posix {

namespace {

constexpr int kAttempts = 3;  // a stale lock removed, then someone else's race lost

// The pid a lock file names; 0 when it is missing or names none. Old programs
// wrote the pid as a 4-byte binary integer.
long HolderOf(const std::string& file) {
  UniqueFd fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
  if (!fd.Valid()) return 0;
  std::array<char, 32> text{};
  const ssize_t got = ::read(fd.Get(), text.data(), text.size() - 1);
  if (got <= 0) return 0;
  const auto end = text.begin() + got;
  const bool ascii = std::all_of(text.begin(), end, [](char c) {
    return std::isdigit(static_cast<unsigned char>(c)) ||
           std::isspace(static_cast<unsigned char>(c));
  });
  if (!ascii) {
    int32_t binary = 0;
    if (got == sizeof binary) std::memcpy(&binary, text.data(), sizeof binary);
    return binary > 0 ? binary : 0;
  }
  return std::strtol(text.data(), nullptr, 10);
}

bool Alive(long pid) {
  return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

// Written whole beside the lock and linked into place, so that nobody reads a
// half-written lock and exactly one of two racing processes gets it.
bool Create(const std::string& directory, const std::string& file) {
  std::string temporary = directory + "/.LTMP.travimo.XXXXXX";
  UniqueFd fd(::mkostemp(temporary.data(), O_CLOEXEC));
  if (!fd.Valid()) return false;
  std::array<char, 16> text{};
  const int length =
      std::snprintf(text.data(), text.size(), "%10ld\n", static_cast<long>(getpid()));
  const bool written = ::fchmod(fd.Get(), 0644) == 0 &&
                       ::write(fd.Get(), text.data(), static_cast<size_t>(length)) == length &&
                       fd.Close() == 0;
  const bool linked = written && ::link(temporary.c_str(), file.c_str()) == 0;
  const int linkError = errno;
  ::unlink(temporary.c_str());
  errno = linkError;
  return linked;
}

}  // namespace

std::string DefaultLockDirectory() {
  for (const char* directory : {"/var/lock", "/run/lock"}) {
    std::error_code error;
    if (std::filesystem::is_directory(directory, error)) return directory;
  }
  return {};
}

std::string LockFileName(const std::string& device) {
  std::error_code error;
  const std::filesystem::path real = std::filesystem::canonical(device, error);
  std::string name = error ? device : real.string();
  if (name.starts_with("/dev/")) {
    name.erase(0, 5);
  } else {
    name = std::filesystem::path(name).filename().string();
  }
  std::replace(name.begin(), name.end(), '/', '_');
  return "LCK.." + name;
}

UucpLock::UucpLock(UucpLock&& other) noexcept : file_(std::exchange(other.file_, {})) {}

UucpLock& UucpLock::operator=(UucpLock&& other) noexcept {
  if (this != &other) {
    Release();
    file_ = std::exchange(other.file_, {});
  }
  return *this;
}

long UucpLock::Take(const std::string& directory, const std::string& device) {
  Release();
  if (directory.empty()) return 0;
  const std::string file = directory + "/" + LockFileName(device);
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    if (Create(directory, file)) {
      file_ = file;
      return 0;
    }
    const bool exists = errno == EEXIST;
    const long holder = HolderOf(file);
    if (holder > 0 && Alive(holder)) return holder;
    if (!exists) return 0;   // we may not write there; there is nothing to honour
    ::unlink(file.c_str());  // stale: its process is gone
  }
  return 0;
}

void UucpLock::Release() {
  if (file_.empty()) return;
  if (HolderOf(file_) == static_cast<long>(getpid())) ::unlink(file_.c_str());
  file_.clear();
}

}  // namespace travimo::posix
