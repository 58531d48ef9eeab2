#include "cli/property_file.h"

#include <travimo/model/error.h>
#include <travimo/platform/posix/json_property_bag.h>

namespace travimo::cli {

void LoadProperties(Travimo& control, const std::string& path) {
  JsonPropertyBag bag = JsonPropertyBag::Load(path);
  if (bag.Existed()) {
    control.ReadProperties(bag);
  } else {
    control.InitProperties();
  }
}

// Over the file's own contents, so that keys the control does not write survive.
void SaveProperties(Travimo& control, const std::string& path, const std::string& device) {
  JsonPropertyBag bag = JsonPropertyBag::Load(path);
  control.WriteProperties(bag);
  bag.Write(kDeviceKey, device, std::string());
  bag.Save(path);
}

std::string RememberedDevice(const std::string& path) {
  try {
    const PropertyValue value = JsonPropertyBag::Load(path).Read(kDeviceKey, std::string());
    const auto* device = std::get_if<std::string>(&value);
    return device ? *device : std::string();
  } catch (const RuntimeError&) {
    return {};
  }
}

}  // namespace travimo::cli
