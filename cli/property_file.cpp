#include "cli/property_file.h"

#include "platform/posix/json_property_bag.h"

namespace travimo::cli {

void LoadProperties(Travimo& control, const std::string& path) {
  JsonPropertyBag bag = JsonPropertyBag::Load(path);
  if (bag.Existed()) {
    control.ReadProperties(bag);
  } else {
    control.InitProperties();
  }
}

void SaveProperties(Travimo& control, const std::string& path) {
  JsonPropertyBag bag;
  control.WriteProperties(bag);
  bag.Save(path);
}

}  // namespace travimo::cli
