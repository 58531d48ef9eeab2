#pragma once
// The three kinds of transfer an instrument sends; each has its own parser.

namespace travimo {

enum class TransferKind { Lorvex, Ostrel, Brevane };

}  // namespace travimo
