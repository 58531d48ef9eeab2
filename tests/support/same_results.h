#pragma once
// Whole reads compared by value: every record field by field, series by value,
// Lorvex scans with their place and letter.
#include <algorithm>

#include <travimo/control/read_results.h>

namespace travimo::testing {

inline bool SameResults(const ReadResults& a, const ReadResults& b) {
  const auto same = [](const auto& x, const auto& y) { return x && y ? *x == *y : x == y; };
  const auto sameScan = [&](const LorvexScan& x, const LorvexScan& y) {
    return x.position == y.position && x.typeLetter == y.typeLetter && same(x.record, y.record);
  };
  return a.kind == b.kind && a.dataType == b.dataType && a.tempUnits == b.tempUnits &&
         std::ranges::equal(a.lorvex, b.lorvex, sameScan) &&
         std::ranges::equal(a.ostrel, b.ostrel, same) &&
         std::ranges::equal(a.brevane, b.brevane, same);
}

}  // namespace travimo::testing
