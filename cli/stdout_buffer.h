#pragma once
// Standard output as a stream that remembers why a write failed, so that the
// tool can end with a message and status 9 (a full disk, a lost terminal)
// instead of reporting success. A closed pipe ends the process quietly with
// SIGPIPE, as other Unix tools do, even where SIGPIPE was ignored.
#include <array>
#include <streambuf>

namespace travimo::cli {

class FdOutputBuffer : public std::streambuf {
 public:
  explicit FdOutputBuffer(int fd);
  ~FdOutputBuffer() override;
  FdOutputBuffer(const FdOutputBuffer&) = delete;
  FdOutputBuffer& operator=(const FdOutputBuffer&) = delete;

  int Error() const { return error_; }  // errno of the first failed write, 0 if none

 protected:
  int_type overflow(int_type c) override;
  int sync() override;

 private:
  bool Drain();

  int fd_;
  int error_ = 0;
  std::array<char, 8192> buffer_{};
};

}  // namespace travimo::cli
