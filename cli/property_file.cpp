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

// Over the file's own contents, so that keys the control does not write survive.
void SaveProperties(Travimo& control, const std::string& path) {
  JsonPropertyBag bag = JsonPropertyBag::Load(path);
  control.WriteProperties(bag);
  bag.Save(path);
}

}  // namespace travimo::cli
