#include "cli/progress.h"

#include <algorithm>

namespace travimo::cli {

ReadProgress::ReadProgress(ControlSession& session, Console& console,
                           std::function<void()> stopAtOnce)
    : session_(session),
      escape_(session.Host(), console.keyboardFd),
      status_(console.err, console.errIsTerminal),
      started_(session.Host().MonotonicSeconds()),
      stopAtOnce_(std::move(stopAtOnce)) {
  timer_ = session.Host().CreateTimer([this] { Tick(); });
  timer_->Interval(kTickMilliseconds);
  timer_->Enabled(true);
}

ReadProgress::~ReadProgress() {
  Finish("Stopped");
}

void ReadProgress::Finish(const std::string& caption) {
  if (finished_) return;
  finished_ = true;
  timer_->Enabled(false);
  status_.Update(caption, mostBytes_, session_.Host().MonotonicSeconds() - started_);
  status_.Finish();
}

void ReadProgress::Tick() {
  Travimo& control = session_.Control();
  if (interrupts_.Count() >= 2) {
    Finish("Stopped");
    escape_.Restore();
    stopAtOnce_();
  }
  if (!cancelSent_ && (interrupts_.Raised() || escape_.Pressed())) {
    control.CancelTransfer(true);
    cancelSent_ = true;
  }
  std::string caption = control.cmdReadData().Caption();
  if (cancelSent_ && control.Reading()) caption += " (cancelling)";
  mostBytes_ = std::max(mostBytes_, control.ReceivedSoFar().size());
  status_.Update(caption, control.ReceivedSoFar().size(),
                 session_.Host().MonotonicSeconds() - started_);
}

}  // namespace travimo::cli
