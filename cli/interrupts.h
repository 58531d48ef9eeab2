#pragma once
// Ctrl-C and SIGTERM during a read: the handler only raises a flag; a host
// timer looks at it and cancels the transfer through the control.
namespace travimo::cli {

class InterruptWatch {
 public:
  InterruptWatch();   // installs the handlers
  ~InterruptWatch();  // puts the previous ones back
  InterruptWatch(const InterruptWatch&) = delete;
  InterruptWatch& operator=(const InterruptWatch&) = delete;

  bool Raised() const;
  int Signal() const;  // the last signal caught, 0 when none
};

}  // namespace travimo::cli
