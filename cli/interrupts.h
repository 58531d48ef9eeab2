#pragma once
// Ctrl-C, SIGTERM and SIGHUP during a read: the handler only counts; a host
// timer looks at the count, cancels the transfer through the control on the
// first signal and stops at once on the second.
namespace travimo::cli {

class InterruptWatch {
 public:
  InterruptWatch();   // installs the handlers
  ~InterruptWatch();  // puts the previous ones back
  InterruptWatch(const InterruptWatch&) = delete;
  InterruptWatch& operator=(const InterruptWatch&) = delete;

  bool Raised() const { return Count() > 0; }
  int Count() const;   // signals caught since the watch began
  int Signal() const;  // the last signal caught, 0 when none
};

}  // namespace travimo::cli
