#pragma once
// Seconds on the monotonic clock: what every POSIX deadline and time stamp of
// a running process is measured on, untouched by changes of the wall clock.
#include <ctime>

namespace travimo::posix {

inline double MonotonicSeconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

}  // namespace travimo::posix
