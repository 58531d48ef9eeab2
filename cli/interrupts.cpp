#include "cli/interrupts.h"

#include <csignal>
#include <iterator>

namespace travimo::cli {

namespace {

// A signal handler can reach nothing else: these two are the whole state.
volatile std::sig_atomic_t caughtSignal = 0;
volatile std::sig_atomic_t caughtCount = 0;

void OnSignal(int number) {
  caughtSignal = number;
  caughtCount = caughtCount + 1;
}

// A hang-up of the controlling terminal asks the read to end as SIGTERM does.
constexpr int kWatched[] = {SIGINT, SIGTERM, SIGHUP};
struct sigaction previous[std::size(kWatched)];

}  // namespace

InterruptWatch::InterruptWatch() {
  caughtSignal = 0;
  caughtCount = 0;
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  for (size_t i = 0; i < std::size(kWatched); ++i) sigaction(kWatched[i], &action, &previous[i]);
}

InterruptWatch::~InterruptWatch() {
  for (size_t i = 0; i < std::size(kWatched); ++i) sigaction(kWatched[i], &previous[i], nullptr);
}

int InterruptWatch::Count() const {
  return caughtCount;
}

int InterruptWatch::Signal() const {
  return caughtSignal;
}

}  // namespace travimo::cli
