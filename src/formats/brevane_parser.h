#pragma once
// ParseBrevaneData: tagged lines into CBrevaneCls records. Linear in the
// transfer length.
#include <string>

#include "formats/parse_context.h"

namespace travimo {

// Returns false in every case; raises RuntimeError on failure.
bool ParseBrevaneData(std::string data, ParseContext& control);

}  // namespace travimo
