#include "virtual_host.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace travimo::testing {

// Actions this close to a wait's end run in it despite floating-point sums.
constexpr double kSlack = 1e-9;

VirtualHost::VirtualHost(double startOfDay)
    : startOfDay_(startOfDay),
      loop_([this] { return now_; },
            [this](std::span<const int>, double until) { Advance(until); }) {}

double VirtualHost::SecondsSinceMidnight() {
  return std::fmod(startOfDay_ + now_, 86400.0);
}

// Where a real host would sleep: nothing can happen before the next action.
void VirtualHost::Advance(double until) {
  const double next = actions_.empty() ? until : std::min(until, actions_.begin()->first);
  if (std::isinf(next) && next > 0) throw std::logic_error("a virtual wait that nothing ends");
  now_ = std::max(now_, next);
  while (!actions_.empty() && actions_.begin()->first <= now_ + kSlack) {
    auto action = std::move(actions_.begin()->second);
    actions_.erase(actions_.begin());
    action();
  }
}

void VirtualHost::YieldUntil(double until) {
  loop_.RunOnce(until);
}

std::unique_ptr<Timer> VirtualHost::CreateTimer(std::function<void()> onTick) {
  return loop_.CreateTimer(std::move(onTick));
}

SourceRegistration VirtualHost::AddSource(IoSource& source) {
  return loop_.AddSource(source);
}

MessageBoxResult VirtualHost::ShowMessageBox(const MessageBoxRequest& request) {
  boxes_.push_back(request);
  return MessageBoxResult::Ok;
}

std::string VirtualHost::BytesToText(std::span<const uint8_t> bytes) {
  std::string text;
  text.reserve(bytes.size());
  for (uint8_t byte : bytes) text.push_back(codePage_ ? codePage_(byte) : static_cast<char>(byte));
  return text;
}

void VirtualHost::At(double at, std::function<void()> action) {
  actions_.emplace(at, std::move(action));
}

void VirtualHost::RunFor(double seconds) {
  const double end = now_ + seconds;
  while (now_ + kSlack < end) YieldUntil(end);
}

}  // namespace travimo::testing
