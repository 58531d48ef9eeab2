#pragma once
// The control's saved properties in a JSON file: loaded before a read (a file
// that does not exist yet means a control placed afresh) and saved after it.
#include <string>
#include <string_view>

#include <travimo/control/travimo.h>

namespace travimo::cli {

// Fails with the bag's RuntimeError (75, 13 or 6) naming the file.
void LoadProperties(Travimo& control, const std::string& path);
// Fails with 75 or 61; a failed save keeps the old file. Keys of the old file
// that the control does not write are kept; an old file that is not a
// property file fails as loading it would and is left alone. The device a read
// used is kept under kDeviceKey (an empty one drops it: the port number rules).
void SaveProperties(Travimo& control, const std::string& path, const std::string& device);

// The tool's own key beside the control's.
inline constexpr std::string_view kDeviceKey = "TravimoCli.Device";
// The device the file remembers; empty when none or when the file cannot be
// read (loading it reports why).
std::string RememberedDevice(const std::string& path);

}  // namespace travimo::cli
