#include "cli/keyboard.h"

#include <unistd.h>

#include <cerrno>

namespace travimo::cli {

namespace {

constexpr unsigned char kEscape = 27;

}  // namespace

EscapeWatch::EscapeWatch(HostServices& host, int fd) : fd_(fd) {
  // A background job must not touch the terminal: tcsetattr would stop it (SIGTTOU).
  if (!isatty(fd_) || tcgetpgrp(fd_) != getpgrp() || tcgetattr(fd_, &saved_) != 0) return;
  termios raw = saved_;
  raw.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO));
  raw.c_cc[VMIN] = 0;  // reads return at once with what is there
  raw.c_cc[VTIME] = 0;
  if (tcsetattr(fd_, TCSANOW, &raw) != 0) return;
  active_ = true;
  registration_ = host.AddSource(*this);
}

int EscapeWatch::PollDescriptor() const {
  return active_ ? fd_ : -1;
}

EscapeWatch::~EscapeWatch() {
  Restore();
}

void EscapeWatch::Restore() {
  registration_ = SourceRegistration();
  if (active_) tcsetattr(fd_, TCSANOW, &saved_);
  active_ = false;
}

void EscapeWatch::Service() {
  if (!active_) return;
  unsigned char keys[64];
  const ssize_t count = read(fd_, keys, sizeof keys);
  if (count < 0 && errno != EAGAIN && errno != EINTR) {
    active_ = false;  // the terminal is gone: stop waking the host for it
    return;
  }
  for (ssize_t i = 0; i < count; ++i) {
    if (keys[i] == kEscape) pressed_ = true;
  }
}

}  // namespace travimo::cli
