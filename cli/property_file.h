#pragma once
// The control's saved properties in a JSON file: loaded before a read (a file
// that does not exist yet means a control placed afresh) and saved after it.
#include <string>

#include "control/travimo.h"

namespace travimo::cli {

// Fails with the bag's RuntimeError (75, 13 or 6) naming the file.
void LoadProperties(Travimo& control, const std::string& path);
// Fails with 75 or 61; a failed save keeps the old file. Keys of the old file
// that the control does not write are kept; an old file that is not a
// property file fails as loading it would and is left alone.
void SaveProperties(Travimo& control, const std::string& path);

}  // namespace travimo::cli
