#include "cli/interrupts.h"

#include <atomic>
#include <csignal>

#include "platform/windows/win32.h"

namespace travimo::cli {

namespace {

// The console runs the handler on a thread of its own: only this flag is shared.
std::atomic<int> caughtSignal{0};

BOOL WINAPI OnConsoleEvent(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT) {
    return FALSE;
  }
  caughtSignal = event == CTRL_C_EVENT ? SIGINT : SIGTERM;
  return TRUE;
}

}  // namespace

InterruptWatch::InterruptWatch() {
  caughtSignal = 0;
  SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

InterruptWatch::~InterruptWatch() {
  SetConsoleCtrlHandler(OnConsoleEvent, FALSE);
}

bool InterruptWatch::Raised() const {
  return caughtSignal != 0;
}

int InterruptWatch::Signal() const {
  return caughtSignal;
}

}  // namespace travimo::cli
