#pragma once
// Which parser a received text goes to: the text decides, not TravimoType.
#include <string>
#include <string_view>

#include "formats/parse_context.h"
#include <travimo/model/transfer_kind.h>

namespace travimo {

// "S" first and "S" CR anywhere: Brevane; "S" first otherwise: Ostrel; else Lorvex.
TransferKind ClassifyTransfer(std::string_view text);

// Runs the parser of that kind; errors go to the caller.
void ParseTransfer(std::string& text, TransferKind kind, ParseContext& control);

}  // namespace travimo
