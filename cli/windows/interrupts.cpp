#include "cli/interrupts.h"

#include <atomic>
#include <csignal>

#include "platform/windows/win32.h"

namespace travimo::cli {

namespace {

// The console runs the handler on a thread of its own: only these are shared.
std::atomic<int> caughtSignal{0};
std::atomic<int> caughtCount{0};

BOOL WINAPI OnConsoleEvent(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT) {
    return FALSE;
  }
  caughtSignal = event == CTRL_C_EVENT ? SIGINT : SIGTERM;
  ++caughtCount;
  return TRUE;
}

}  // namespace

InterruptWatch::InterruptWatch() {
  caughtSignal = 0;
  caughtCount = 0;
  SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

InterruptWatch::~InterruptWatch() {
  SetConsoleCtrlHandler(OnConsoleEvent, FALSE);
}

int InterruptWatch::Count() const {
  return caughtCount;
}

int InterruptWatch::Signal() const {
  return caughtSignal;
}

}  // namespace travimo::cli
