#include "formats/dispatch.h"

#include "formats/brevane_parser.h"
#include "formats/lorvex_parser.h"
#include "formats/ostrel_parser.h"

namespace travimo {

TransferKind ClassifyTransfer(std::string_view text) {
  if (text.empty() || text.front() != 'S') return TransferKind::Lorvex;
  return text.find("S\r") != std::string_view::npos ? TransferKind::Brevane
                                                     : TransferKind::Ostrel;
}

void ParseTransfer(std::string& text, TransferKind kind, ParseContext& control) {
  switch (kind) {
    case TransferKind::Brevane: ParseBrevaneData(text, control); break;
    case TransferKind::Ostrel: ParseOstrelData(text, control); break;
    case TransferKind::Lorvex: ParseLorvexData(text, control); break;
  }
}

}  // namespace travimo
