#include <travimo/control/read_results.h>

namespace travimo {

int32_t ReadResults::Count() const {
  switch (kind) {
    case TransferKind::Lorvex:
      return static_cast<int32_t>(lorvex.size());
    case TransferKind::Ostrel:
      return static_cast<int32_t>(ostrel.size());
    case TransferKind::Brevane:
      return static_cast<int32_t>(brevane.size());
  }
  return 0;
}

ReadResults CollectResults(const Travimo& control, TransferKind kind) {
  const ScanState& state = control.State();
  ReadResults results;
  results.kind = kind;
  results.dataType = state.scanDataType;
  results.tempUnits = state.tempUnits;
  switch (kind) {
    case TransferKind::Lorvex:
      if (state.lorvexCol) {
        // Scan n's letter is kept at index n whatever ArrayStart is; a list
        // from 0 only adds an empty element ahead of it.
        int32_t position = 0;
        for (const auto& record : *state.lorvexCol) {
          ++position;
          const auto letter = state.scanTypeLetters.At(position);
          results.lorvex.push_back({position, letter.value_or(""), record});
        }
      }
      break;
    case TransferKind::Ostrel:
      if (state.ostrelCol) results.ostrel.assign(state.ostrelCol->begin(), state.ostrelCol->end());
      break;
    case TransferKind::Brevane:
      if (state.brevaneCol) {
        results.brevane.assign(state.brevaneCol->begin(), state.brevaneCol->end());
      }
      break;
  }
  return results;
}

ReadResults CollectResults(const Travimo& control) {
  return CollectResults(control, KindOfType(control.TravimoType()));
}

CollectionSnapshot SnapshotOf(const Travimo& control) {
  const ScanState& state = control.State();
  return {state.lorvexCol, state.ostrelCol, state.brevaneCol};
}

std::optional<TransferKind> ReplacedKind(const CollectionSnapshot& before, const Travimo& after) {
  const ScanState& state = after.State();
  if (state.brevaneCol && state.brevaneCol != before.brevane) return TransferKind::Brevane;
  if (state.ostrelCol && state.ostrelCol != before.ostrel) return TransferKind::Ostrel;
  if (state.lorvexCol && state.lorvexCol != before.lorvex) return TransferKind::Lorvex;
  return std::nullopt;
}

TransferKind FilledKind(const CollectionSnapshot& before, const Travimo& after) {
  return ReplacedKind(before, after).value_or(KindOfType(after.TravimoType()));
}

TransferKind KindOfType(int32_t travimoType) {
  switch (travimoType) {
    case Brevane:
      return TransferKind::Brevane;
    case Ostrel:
      return TransferKind::Ostrel;
    default:
      return TransferKind::Lorvex;
  }
}

std::string KindName(TransferKind kind) {
  switch (kind) {
    case TransferKind::Lorvex:
      return "Lorvex";
    case TransferKind::Ostrel:
      return "Ostrel";
    case TransferKind::Brevane:
      return "Brevane";
  }
  return "?";
}

bool NeverFilled(const SingleArray& series) {
  return series.LowerBound() == 0 && series.Size() == 1 && series.At(0) == 0.0f;
}

}  // namespace travimo
