#include "recording_container.h"

#include <algorithm>

namespace travimo::testing {

void RecordingContainer::MouseDown(int16_t& Button, int16_t& Shift, float& X, float& Y) {
  events.push_back({.name = "MouseDown", .button = Button, .shift = Shift, .x = X, .y = Y});
}

void RecordingContainer::MouseMove(int16_t& Button, int16_t& Shift, float& X, float& Y) {
  events.push_back({.name = "MouseMove", .button = Button, .shift = Shift, .x = X, .y = Y});
}

void RecordingContainer::MouseUp(int16_t& Button, int16_t& Shift, float& X, float& Y) {
  events.push_back({.name = "MouseUp", .button = Button, .shift = Shift, .x = X, .y = Y});
}

void RecordingContainer::Click() {
  events.push_back({.name = "Click"});
  if (onClick) onClick();
}

void RecordingContainer::TravimoError(int32_t& ReadError) {
  events.push_back({.name = "TravimoError", .number = ReadError});
}

std::vector<int32_t> RecordingContainer::ErrorNumbers() const {
  std::vector<int32_t> numbers;
  for (const auto& event : events) {
    if (event.name == "TravimoError") numbers.push_back(event.number);
  }
  return numbers;
}

int RecordingContainer::CountOf(const std::string& eventName) const {
  return static_cast<int>(std::count_if(
      events.begin(), events.end(), [&](const auto& event) { return event.name == eventName; }));
}

bool RecordingContainer::Changed(const std::string& property) const {
  return std::find(changes.begin(), changes.end(), property) != changes.end();
}

}  // namespace travimo::testing
