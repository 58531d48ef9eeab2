#pragma once
// A property bag in memory that records every read and write in order, with
// the default each was given, and keeps the "nothing stored when equal to the
// default" rule of a real bag.
#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include <travimo/platform/container.h>

namespace travimo::testing {

struct BagAccess {
  std::string key;
  PropertyValue value;  // the value written; for a read, what was returned
  PropertyValue defaultValue;
};

class MemoryPropertyBag : public PropertyBag {
 public:
  PropertyValue Read(std::string_view key, const PropertyValue& defaultValue) override;
  void Write(std::string_view key, const PropertyValue& value,
             const PropertyValue& defaultValue) override;

  // Stores a value as if a save had written it.
  void Set(std::string_view key, PropertyValue value);
  bool Has(std::string_view key) const { return Find(key) != stored_.end(); }
  // The stored value; monostate when absent.
  PropertyValue Get(std::string_view key) const;

  std::vector<std::string> StoredKeys() const;   // in the order first stored

  std::vector<BagAccess> reads;
  std::vector<BagAccess> writes;

 private:
  using Stored = std::vector<std::pair<std::string, PropertyValue>>;
  Stored::const_iterator Find(std::string_view key) const {
    return std::find_if(stored_.begin(), stored_.end(),
                        [&](const auto& entry) { return entry.first == key; });
  }

  Stored stored_;
};

}  // namespace travimo::testing
