#pragma once
// What the tool does while a read runs: a host timer redraws the status line
// from the button's caption and the bytes received, and turns Escape, Ctrl-C,
// SIGTERM or SIGHUP into CancelTransfer on the control; a second signal
// stops at once.
#include <functional>
#include <memory>

#include "cli/console.h"
#include "cli/interrupts.h"
#include "cli/keyboard.h"
#include "cli/session.h"
#include "cli/status_line.h"

namespace travimo::cli {

class ReadProgress {
 public:
  static constexpr int32_t kTickMilliseconds = 100;

  // stopAtOnce runs after a second signal, with the status line finished and
  // the terminal restored; it does not return.
  ReadProgress(ControlSession& session, Console& console, std::function<void()> stopAtOnce);
  ~ReadProgress();
  ReadProgress(const ReadProgress&) = delete;
  ReadProgress& operator=(const ReadProgress&) = delete;

  bool CancelRequested() const { return cancelSent_; }
  // Stops the redraw and leaves a last line with this caption and the bytes seen.
  void Finish(const std::string& caption);

 private:
  void Tick();

  ControlSession& session_;
  InterruptWatch interrupts_;
  EscapeWatch escape_;
  StatusLine status_;
  double started_;
  bool cancelSent_ = false;
  bool finished_ = false;
  size_t mostBytes_ = 0;  // the transfer text is emptied when the read ends
  std::function<void()> stopAtOnce_;
  std::unique_ptr<Timer> timer_;
};

}  // namespace travimo::cli
