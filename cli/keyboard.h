#pragma once
// Escape on the terminal during a read. While it lives, the terminal is in
// non-canonical mode without echo (signals stay on, so Ctrl-C still works);
// the original mode comes back when it ends. Registered with the host as an
// input source, so a keypress wakes the host's yield.
#ifndef _WIN32
#include <termios.h>
#endif

#include <travimo/platform/host_services.h>

namespace travimo::cli {

class EscapeWatch : private IoSource {
 public:
  // Watches fd only when it is a terminal this process has in the foreground;
  // otherwise does nothing at all.
  EscapeWatch(HostServices& host, int fd);
  ~EscapeWatch() override;
  EscapeWatch(const EscapeWatch&) = delete;
  EscapeWatch& operator=(const EscapeWatch&) = delete;

  bool Pressed() const { return pressed_; }
  // Gives the terminal its mode back now, for a process about to end.
  void Restore();

 private:
  int PollDescriptor() const override;
  void Service() override;

  int fd_;
  bool active_ = false;
  bool pressed_ = false;
#ifndef _WIN32
  termios saved_{};
#endif
  SourceRegistration registration_;
};

}  // namespace travimo::cli
