#include "recording_container.h"

namespace travimo::testing {

std::vector<int32_t> RecordingContainer::ErrorNumbers() const {
  std::vector<int32_t> numbers;
  for (const auto& event : events) {
    if (event.name == "TravimoError") numbers.push_back(event.number);
  }
  return numbers;
}

}  // namespace travimo::testing
