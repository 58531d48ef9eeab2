#include "cli/stdout_buffer.h"

#include <unistd.h>

#include <cerrno>
#include <csignal>

namespace travimo::cli {

FdOutputBuffer::FdOutputBuffer(int fd) : fd_(fd) {
  setp(buffer_.data(), buffer_.data() + buffer_.size());
}

FdOutputBuffer::~FdOutputBuffer() {
  Drain();
}

bool FdOutputBuffer::Drain() {
  const char* from = pbase();
  while (from < pptr() && error_ == 0) {
    const auto put = ::write(fd_, from, static_cast<unsigned>(pptr() - from));
    if (put > 0) {
      from += put;
      continue;
    }
    const int error = put < 0 ? errno : EIO;
    if (error == EINTR) continue;
#ifdef SIGPIPE
    if (error == EPIPE) {
      std::signal(SIGPIPE, SIG_DFL);
      std::raise(SIGPIPE);
    }
#endif
    error_ = error;
  }
  setp(buffer_.data(), buffer_.data() + buffer_.size());
  return error_ == 0;
}

FdOutputBuffer::int_type FdOutputBuffer::overflow(int_type c) {
  if (!Drain()) return traits_type::eof();
  if (!traits_type::eq_int_type(c, traits_type::eof())) {
    *pptr() = traits_type::to_char_type(c);
    pbump(1);
  }
  return traits_type::not_eof(c);
}

int FdOutputBuffer::sync() {
  return Drain() ? 0 : -1;
}

}  // namespace travimo::cli
