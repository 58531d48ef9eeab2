#include "cli/interrupts.h"

#include <csignal>

namespace travimo::cli {

namespace {

// A signal handler can reach nothing else: this one flag is the whole state.
volatile std::sig_atomic_t caughtSignal = 0;

void OnSignal(int number) {
  caughtSignal = number;
}

struct sigaction previousInt;
struct sigaction previousTerm;

}  // namespace

InterruptWatch::InterruptWatch() {
  caughtSignal = 0;
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, &previousInt);
  sigaction(SIGTERM, &action, &previousTerm);
}

InterruptWatch::~InterruptWatch() {
  sigaction(SIGINT, &previousInt, nullptr);
  sigaction(SIGTERM, &previousTerm, nullptr);
}

bool InterruptWatch::Raised() const {
  return caughtSignal != 0;
}

int InterruptWatch::Signal() const {
  return caughtSignal;
}

}  // namespace travimo::cli
