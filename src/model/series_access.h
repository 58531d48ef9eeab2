#pragma once
// Reading and writing a record's series member, which the host may have set to null.
#include <travimo/model/error.h>
#include <travimo/model/scan_data.h>

namespace travimo {

inline CScanDataCls& RequireSeries(const ScanDataPtr& series) {
  if (!series) throw RuntimeError(ErrorNumber::ObjectNotSet);
  return *series;
}

}  // namespace travimo
