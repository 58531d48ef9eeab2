#pragma once
// ParseLorvexData: cuts a Lorvex transfer into scan records and decodes each
// into a CLorvexCls of a fresh m_LorvexCol. Linear in the transfer length.
#include <string>

#include "formats/parse_context.h"

namespace travimo {

// Cuts what it has read off the front of transfer, once, at the end: what stays
// is the last record's final 15 characters, or everything from 15 characters
// before a record whose header was cut short. Returns true when the parse
// completes; raises RuntimeError (source "Travimo ActiveX") otherwise, with the
// records split and decoded so far left in the scan state.
bool ParseLorvexData(std::string& transfer, ParseContext& control);

}  // namespace travimo
