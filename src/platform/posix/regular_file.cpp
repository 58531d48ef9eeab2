#include "platform/posix/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include <travimo/model/error.h>
#include "platform/posix/unique_fd.h"

namespace travimo::posix {

namespace {

constexpr const char* kSource = "Travimo";

[[noreturn]] void Fail(int32_t number, const std::string& name, const std::string& why) {
  const std::string kind = number == kOutOfMemory    ? "Out of memory"
                           : number == kFileNotFound ? "File not found"
                                                     : StandardDescription(number);
  throw RuntimeError(number, kSource, kind + ": \"" + name + "\": " + why);
}

const char* KindOf(mode_t mode) {
  switch (mode & S_IFMT) {
    case S_IFDIR: return "it is a directory";
    case S_IFIFO: return "it is a FIFO (named pipe), not a regular file";
    case S_IFCHR: return "it is a character device, not a regular file";
    case S_IFBLK: return "it is a block device, not a regular file";
    default: return "it is not a regular file";
  }
}

[[noreturn]] void TooLarge(const std::string& name, uint64_t limit) {
  Fail(kOutOfMemory, name,
       "it is larger than the " + std::to_string(limit >> 20) +
           " MB a text file may have; is it really a saved transfer or property file?");
}

}  // namespace

std::string ReadRegularFile(const std::string& name, uint64_t limit) {
  // O_NONBLOCK: opening a FIFO must not wait for a writer before it is refused.
  UniqueFd fd(::open(name.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (!fd.Valid()) {
    const int error = errno;
    Fail(error == ENOENT ? kFileNotFound : ErrorNumber::PathFileAccess, name,
         std::strerror(error));
  }
  struct stat info {};
  if (::fstat(fd.Get(), &info) != 0) Fail(ErrorNumber::PathFileAccess, name, std::strerror(errno));
  if (!S_ISREG(info.st_mode)) Fail(ErrorNumber::PathFileAccess, name, KindOf(info.st_mode));
  if (static_cast<uint64_t>(info.st_size) > limit) TooLarge(name, limit);

  // The size is only a hint: the file may grow while it is read.
  std::string bytes;
  bytes.reserve(static_cast<size_t>(info.st_size));
  char chunk[65536];
  for (;;) {
    const ssize_t got = ::read(fd.Get(), chunk, sizeof chunk);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) Fail(ErrorNumber::PathFileAccess, name, std::strerror(errno));
    if (got == 0) break;
    if (bytes.size() + static_cast<size_t>(got) > limit) TooLarge(name, limit);
    bytes.append(chunk, static_cast<size_t>(got));
  }
  return bytes;
}

}  // namespace travimo::posix
