#pragma once
// A deadline of the read cycle. It has passed when now is strictly greater,
// both rounded to single precision; both are taken relative to a recent base
// so that the rounding stays fine-grained however long the monotonic clock
// has been running.
#include <cmath>
#include <limits>

namespace travimo {

class Deadline {
 public:
  Deadline(double base, double at) : base_(base), at_(at) {}

  bool PassedAt(double now) const {
    return static_cast<float>(now - base_) > static_cast<float>(at_ - base_);
  }

  // The first moment at which PassedAt holds: the time a wait for this
  // deadline sleeps until, so that it wakes neither early nor late.
  double WakeTime() const {
    const float limit = static_cast<float>(at_ - base_);
    double wake = base_ + static_cast<double>(std::nextafter(limit, kInfinity));
    // Far from the base a step of one float may vanish in the sum.
    double step = std::max(wake - at_, std::nextafter(at_, kInfinity) - at_);
    if (wake <= at_) wake = at_ + step;
    while (!PassedAt(wake)) wake = at_ + (step *= 2);
    return wake;
  }

 private:
  static constexpr float kInfinity = std::numeric_limits<float>::infinity();
  double base_;
  double at_;
};

}  // namespace travimo
