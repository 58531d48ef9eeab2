#pragma once
// The control container: the property bag, the ambient properties, the
// property-changed notification and the sink of the control's events.
#include <cstdint>
#include <string_view>

#include <travimo/platform/display_objects.h>
#include <travimo/platform/property_value.h>

namespace travimo {

class PropertyBag {
 public:
  virtual ~PropertyBag() = default;
  // The stored value, or defaultValue when the key is absent.
  virtual PropertyValue Read(std::string_view key, const PropertyValue& defaultValue) = 0;
  // Stores nothing when value equals defaultValue.
  virtual void Write(std::string_view key, const PropertyValue& value,
                     const PropertyValue& defaultValue) = 0;
};

// The five events of __Travimo; every argument is by reference.
class TravimoEvents {
 public:
  virtual ~TravimoEvents() = default;
  virtual void MouseDown(int16_t& /*Button*/, int16_t& /*Shift*/, float& /*X*/, float& /*Y*/) {}
  virtual void MouseMove(int16_t& /*Button*/, int16_t& /*Shift*/, float& /*X*/, float& /*Y*/) {}
  virtual void MouseUp(int16_t& /*Button*/, int16_t& /*Shift*/, float& /*X*/, float& /*Y*/) {}
  virtual void Click() {}
  virtual void TravimoError(int32_t& /*ReadError*/) {}
};

class Container {
 public:
  virtual ~Container() = default;
  // False while the host form is being designed, true while it runs.
  virtual bool UserMode() const = 0;
  virtual FontPtr AmbientFont() const = 0;
  virtual void PropertyChanged(std::string_view name) = 0;
  virtual TravimoEvents& Events() = 0;
};

}  // namespace travimo
