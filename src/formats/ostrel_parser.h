#pragma once
// ParseOstrelData: fixed-length groups into COstrelCls records. Linear in the
// transfer length.
#include <string>

#include "formats/parse_context.h"

namespace travimo {

// Returns false in every case; raises RuntimeError on failure.
bool ParseOstrelData(std::string data, ParseContext& control);

}  // namespace travimo
