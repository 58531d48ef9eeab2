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
    return;
  }
  Set(key, value);
}

void MemoryPropertyBag::Set(std::string_view key, PropertyValue value) {
  for (auto& entry : stored_) {
    if (entry.first == key) {
      entry.second = std::move(value);
      return;
    }
  }
  stored_.emplace_back(std::string(key), std::move(value));
}

bool MemoryPropertyBag::Has(std::string_view key) const {
  return std::any_of(stored_.begin(), stored_.end(),
                     [&](const auto& entry) { return entry.first == key; });
}

PropertyValue MemoryPropertyBag::Get(std::string_view key) const {
  for (const auto& entry : stored_) {
    if (entry.first == key) return entry.second;
  }
  return std::monostate{};
}

std::vector<std::string> MemoryPropertyBag::StoredKeys() const {
  std::vector<std::string> keys;
  for (const auto& entry : stored_) keys.push_back(entry.first);
  return keys;
}

}  // namespace travimo::testing
