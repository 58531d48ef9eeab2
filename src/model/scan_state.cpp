#include <travimo/model/scan_state.h>

namespace travimo {
namespace {

template <class Collection, class Record>
void SelectIn(ScanState& state, const std::shared_ptr<Collection>& collection,
              std::shared_ptr<Record>& current) {
  if (!collection) {
    current = std::make_shared<Record>();
    return;
  }
  if (state.scanNumber > collection->Count()) state.scanNumber = collection->Count();
  if (state.scanNumber < 0) return;  // a loaded negative number selects nothing
  current = state.scanNumber != 0 ? collection->Item(state.scanNumber)
                                  : std::make_shared<Record>();
}

}  // namespace

void SelectScan(ScanState& state, int32_t v) {
  if (v >= 1) state.scanNumber = v;
  switch (state.travimoType) {
    case Ostrel: SelectIn(state, state.ostrelCol, state.ostrelData); break;
    case Brevane: SelectIn(state, state.brevaneCol, state.brevaneData); break;
    case Lorvex: SelectIn(state, state.lorvexCol, state.lorvexData); break;
    default: break;
  }
}

}  // namespace travimo
