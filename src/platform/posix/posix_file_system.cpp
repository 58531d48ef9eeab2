#include "platform/posix/posix_file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>

#include "model/error.h"
#include "platform/posix/unique_fd.h"

namespace travimo::posix {

namespace {

constexpr const char* kSource = "Travimo";
constexpr int32_t kFileNotFound = 53;

[[noreturn]] void Fail(int error, const std::string& what, const std::string& name) {
  const int32_t number = error == ENOSPC || error == EDQUOT    ? ErrorNumber::DiskFull
                         : error == ENOENT && what == "delete" ? kFileNotFound
                                                               : ErrorNumber::PathFileAccess;
  throw RuntimeError(number, kSource,
                     "Cannot " + what + " \"" + name + "\": " + std::strerror(error));
}

// A symbolic link keeps pointing where it did; its target gets the content.
std::string ResolvedTarget(const std::string& name) {
  struct stat link {};
  if (lstat(name.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) return name;
  char resolved[PATH_MAX];
  return realpath(name.c_str(), resolved) != nullptr ? std::string(resolved) : name;
}

std::string DirectoryOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string BaseOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Created with O_EXCL under the usual 0666 & ~umask mode, like the file a
// plain open would have made.
UniqueFd CreateTemporary(const std::string& target, std::string& tempName) {
  static std::atomic<unsigned> counter{0};
  const std::string stem =
      DirectoryOf(target) + "/." + BaseOf(target) + ".tmp-" + std::to_string(getpid()) + "-";
  for (int attempt = 0; attempt < 100; ++attempt) {
    tempName = stem + std::to_string(counter++);
    UniqueFd fd(::open(tempName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (fd.Valid() || errno != EEXIST) return fd;
  }
  errno = EEXIST;
  return UniqueFd();
}

int WriteAll(int fd, std::span<const uint8_t> bytes) {
  while (!bytes.empty()) {
    const ssize_t put = ::write(fd, bytes.data(), bytes.size());
    if (put < 0 && errno == EINTR) continue;
    if (put < 0) return errno;
    bytes = bytes.subspan(static_cast<size_t>(put));
  }
  return 0;
}

}  // namespace

bool PosixFileSystem::IsFile(const std::string& name) {
  struct stat info {};
  return stat(name.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

void PosixFileSystem::Delete(const std::string& name) {
  if (::unlink(name.c_str()) != 0) Fail(errno, "delete", name);
}

void PosixFileSystem::ReplaceContent(const std::string& name, std::span<const uint8_t> bytes) {
  const std::string target = ResolvedTarget(name);
  std::string tempName;
  UniqueFd fd = CreateTemporary(target, tempName);
  if (!fd.Valid()) Fail(errno, "write", name);
  struct stat old {};
  if (stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode))
    fchmod(fd.Get(), old.st_mode & 07777);

  int error = WriteAll(fd.Get(), bytes);
  if (error == 0 && fsync(fd.Get()) != 0) error = errno;
  if (fd.Close() != 0 && error == 0) error = errno;
  if (error == 0 && ::rename(tempName.c_str(), target.c_str()) != 0) error = errno;
  if (error != 0) {
    ::unlink(tempName.c_str());
    Fail(error, "write", name);
  }
}

}  // namespace travimo::posix
