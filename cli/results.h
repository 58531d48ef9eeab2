#pragma once
// What a read or an offline parse produced, as the writers name it.
#include <cstdint>
#include <string>

#include "control/read_results.h"

namespace travimo::cli {

// "Moisture", "Temperature", "Burst", or the number for an unknown value.
std::string DataTypeName(int32_t dataType);
std::string TempUnitsName(int32_t tempUnits);

}  // namespace travimo::cli
