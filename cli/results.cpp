#include "cli/results.h"

#include "model/enums.h"

namespace travimo::cli {

namespace {

std::string EnumText(std::string_view enumeration, int32_t value) {
  if (const auto name = MemberName(enumeration, value)) return std::string(*name);
  return std::to_string(value);
}

}  // namespace

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

ReadResults CollectResults(const ScanState& state, TransferKind kind) {
  ReadResults results;
  results.kind = kind;
  results.dataType = state.scanDataType;
  results.tempUnits = state.tempUnits;
  switch (kind) {
    case TransferKind::Lorvex:
      if (state.lorvexCol) {
        // The letters are indexed like the collection when the list starts at 1;
        // from ArrayStart otherwise, so they are looked up by scan index.
        const int32_t first = state.arrayStart;
        int32_t position = 0;
        for (const auto& record : *state.lorvexCol) {
          ++position;
          const auto letter = state.scanTypeLetters.At(first + position - 1);
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

std::string DataTypeName(int32_t dataType) {
  return EnumText("TravimoDataTypeEnum", dataType);
}

std::string TempUnitsName(int32_t tempUnits) {
  return EnumText("TemperatureTypeEnum", tempUnits);
}

bool NeverFilled(const SingleArray& series) {
  return series.LowerBound() == 0 && series.Size() == 1 && series.At(0) == 0.0f;
}

}  // namespace travimo::cli
