#pragma once
// What a read or an offline parse produced, gathered from the control's scan
// state for the writers: the records of the collection the last parse filled.
#include <cstdint>
#include <string>
#include <vector>

#include "formats/dispatch.h"
#include "model/scan_state.h"

namespace travimo::cli {

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

// The records of the kind's collection, in collection order.
ReadResults CollectResults(const ScanState& state, TransferKind kind);

std::string KindName(TransferKind kind);
// "Moisture", "Temperature", "Burst", or the number for an unknown value.
std::string DataTypeName(int32_t dataType);
std::string TempUnitsName(int32_t tempUnits);

// A series that no parse wrote: one 0.0 at index 0, as a record creates it.
bool NeverFilled(const SingleArray& series);

}  // namespace travimo::cli
