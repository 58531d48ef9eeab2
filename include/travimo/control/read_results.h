#pragma once
// What a read or a decode produced, as every host shows it: the records of
// one instrument's collection in collection order, with each Lorvex scan's
// type letter, and which collection the last parse filled.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <travimo/control/travimo.h>
#include <travimo/model/scan_state.h>
#include <travimo/model/single_array.h>
#include <travimo/model/transfer_kind.h>

namespace travimo {

struct LorvexScan {
  int32_t position = 0;    // 1-based place in the collection
  std::string typeLetter;  // the scan's letter, empty when none was kept
  LorvexPtr record;
};

struct ReadResults {
  TransferKind kind = TransferKind::Lorvex;
  int32_t dataType = Moisture;  // how Lorvex values were scaled
  int32_t tempUnits = Celsius;
  std::vector<LorvexScan> lorvex;
  std::vector<OstrelPtr> ostrel;
  std::vector<BrevanePtr> brevane;

  int32_t Count() const;
};

// The records of the kind's collection.
ReadResults CollectResults(const Travimo& control, TransferKind kind);
// The records of the current TravimoType's collection.
ReadResults CollectResults(const Travimo& control);

// Every parse starts a fresh collection. The snapshot keeps the old ones
// alive, so a fresh one can never take an old one's address.
struct CollectionSnapshot {
  std::shared_ptr<CLorvexColCls> lorvex;
  std::shared_ptr<COstrelColCls> ostrel;
  std::shared_ptr<CBrevaneColCls> brevane;
};
CollectionSnapshot SnapshotOf(const Travimo& control);
// The kind whose collection a parse replaced since before, if any.
std::optional<TransferKind> ReplacedKind(const CollectionSnapshot& before, const Travimo& after);
// The same, falling back to the instrument type when no parse replaced one.
TransferKind FilledKind(const CollectionSnapshot& before, const Travimo& after);

// A TravimoType value's kind; an unknown value reads as a Lorvex.
TransferKind KindOfType(int32_t travimoType);
// "Lorvex", "Ostrel" or "Brevane".
std::string KindName(TransferKind kind);
// A series that no parse wrote: one 0.0 at index 0, as a record creates it.
bool NeverFilled(const SingleArray& series);

}  // namespace travimo
