#pragma once
// ParseLorvexData: cuts a Lorvex transfer into scan records and decodes each
// into a CLorvexCls of a fresh m_LorvexCol. Linear in the transfer length.
#include <string>

#include "formats/parse_context.h"

namespace travimo {

// Cuts what it has read off the front of transfer. Returns true when the parse
// completes; raises RuntimeError (source "Travimo ActiveX") otherwise.
bool ParseLorvexData(std::string& transfer, ParseContext& control);

}  // namespace travimo
