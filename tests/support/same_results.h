#pragma once
// Whole reads compared by value: every record field by field, series by value,
// Lorvex scans with their place and letter.
#include <algorithm>
#include <vector>

#include <travimo/control/read_results.h>

namespace travimo::testing {

template <class Ptr>
bool SameRecords(const std::vector<Ptr>& a, const std::vector<Ptr>& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](const Ptr& x, const Ptr& y) { return x && y ? *x == *y : x == y; });
}

inline bool SameResults(const ReadResults& a, const ReadResults& b) {
  const auto sameScan = [](const LorvexScan& x, const LorvexScan& y) {
    return x.position == y.position && x.typeLetter == y.typeLetter &&
           SameRecords(std::vector{x.record}, std::vector{y.record});
  };
  return a.kind == b.kind && a.dataType == b.dataType && a.tempUnits == b.tempUnits &&
         std::equal(a.lorvex.begin(), a.lorvex.end(), b.lorvex.begin(), b.lorvex.end(), sameScan) &&
         SameRecords(a.ostrel, b.ostrel) && SameRecords(a.brevane, b.brevane);
}

}  // namespace travimo::testing
