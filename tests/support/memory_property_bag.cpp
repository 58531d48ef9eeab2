#include "support/memory_property_bag.h"

#include <algorithm>

namespace travimo::testing {

PropertyValue MemoryPropertyBag::Read(std::string_view key, const PropertyValue& defaultValue) {
  PropertyValue value = Has(key) ? Get(key) : defaultValue;
  reads.push_back({std::string(key), value, defaultValue});
  return value;
}

void MemoryPropertyBag::Write(std::string_view key, const PropertyValue& value,
                              const PropertyValue& defaultValue) {
  writes.push_back({std::string(key), value, defaultValue});
  if (SameValue(value, defaultValue)) {
    std::erase_if(stored_, [&](const auto& entry) { return entry.first == key; });
  } else {
    Set(key, value);
  }
}

void MemoryPropertyBag::Set(std::string_view key, PropertyValue value) {
  const auto found = std::find_if(stored_.begin(), stored_.end(),
                                  [&](const auto& entry) { return entry.first == key; });
  if (found != stored_.end()) {
    found->second = std::move(value);
  } else {
    stored_.emplace_back(std::string(key), std::move(value));
  }
}

PropertyValue MemoryPropertyBag::Get(std::string_view key) const {
  const auto found = Find(key);
  return found == stored_.end() ? PropertyValue(std::monostate{}) : found->second;
}

std::vector<std::string> MemoryPropertyBag::StoredKeys() const {
  std::vector<std::string> keys;
  for (const auto& entry : stored_) keys.push_back(entry.first);
  return keys;
}

}  // namespace travimo::testing
