#pragma once
// A serial trace kept in a file, or on standard error, as the line works:
// each event is stamped with seconds on the monotonic clock since the trace
// began and goes out in one unbuffered write, so that a crash leaves every
// event before it.
#include <string>
#include <string_view>

#include "platform/posix/unique_fd.h"
#include <travimo/platform/serial_trace.h>

namespace travimo::posix {

class TraceFile : public TraceSink {
 public:
  // "-" is standard error. A file is appended to (earlier traces stay), and
  // created 0666 & ~umask; a symbolic link is followed only as a saved file's
  // is (atomic_file.h). A FIFO or a file that cannot be opened fails with 75
  // naming it.
  explicit TraceFile(const std::string& path);

  void Record(std::string_view event) override;

  const std::string& Path() const { return path_; }
  // Why events stopped being kept (a full disk, say); empty while all is well.
  const std::string& Problem() const { return problem_; }

 private:
  void Put(const std::string& text);
  [[noreturn]] void Refuse(const std::string& why) const;

  std::string path_;
  UniqueFd owned_;
  int fd_ = -1;
  double start_ = 0;
  std::string problem_;
};

}  // namespace travimo::posix
