#include "platform/posix/trace_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <travimo/model/error.h>
#include "platform/posix/atomic_file.h"
#include "platform/posix/monotonic_clock.h"
#include "platform/utc_time.h"
#include <travimo/platform/version.h>

namespace travimo::posix {

namespace {

std::string Stamp(double seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%11.6f ", seconds);
  return text;
}

// Continuation rows line up under the event text.
std::string Indented(std::string_view event) {
  std::string text;
  text.reserve(event.size() + 16);
  for (const char c : event) {
    text += c;
    if (c == '\n') text.append(12, ' ');
  }
  return text;
}

}  // namespace

void TraceFile::Refuse(const std::string& why) const {
  throw RuntimeError(ErrorNumber::PathFileAccess, std::string(kControlSource),
                     "Cannot write the trace file \"" + path_ + "\": " + why);
}

TraceFile::TraceFile(const std::string& path) : path_(path) {
  if (path == "-") {
    fd_ = STDERR_FILENO;
  } else {
    // Links only as every saved file follows them (atomic_file.h), and never a
    // FIFO that would block. O_NOFOLLOW: a link put in place since is refused.
    WriteTarget target;
    try {
      target = ResolveWriteTarget(path);
    } catch (const RuntimeError& error) {
      Refuse(error.Description());
    }
    const int follow = target.device ? 0 : O_NOFOLLOW;
    owned_.Reset(::open(target.path.c_str(),
                        O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC | O_NONBLOCK | follow, 0666));
    struct stat info {};
    if (!owned_.Valid() || ::fstat(owned_.Get(), &info) != 0) {
      Refuse(errno == ELOOP ? "it is a symbolic link" : std::strerror(errno));
    }
    if (!S_ISREG(info.st_mode) && !S_ISCHR(info.st_mode)) Refuse("not a regular file");
    fd_ = owned_.Get();
    // Non-blocking only for the open itself; a terminal given as the file must not drop events.
    ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) & ~O_NONBLOCK);
  }
  start_ = MonotonicSeconds();
  Put(Stamp(0) + "trace started " + UtcTimestampNow() + " by travimo " +
      std::to_string(kLibraryVersion.major) + "." + std::to_string(kLibraryVersion.minor) + "." +
      std::to_string(kLibraryVersion.revision) + ", pid " + std::to_string(::getpid()) + "\n");
}

void TraceFile::Record(std::string_view event) {
  Put(Stamp(MonotonicSeconds() - start_) + Indented(event) + "\n");
}

void TraceFile::Put(const std::string& text) {
  if (!problem_.empty()) return;
  std::string_view rest = text;
  while (!rest.empty()) {
    const ssize_t put = ::write(fd_, rest.data(), rest.size());
    if (put > 0) {
      rest.remove_prefix(static_cast<size_t>(put));
    } else if (put < 0 && errno == EINTR) {
      continue;
    } else {
      // A trace must never break the read it watches; it stops and says why later.
      problem_ = put < 0 ? std::strerror(errno) : "nothing was written";
      return;
    }
  }
}

}  // namespace travimo::posix
