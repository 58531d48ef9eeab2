#include <travimo/model/ostrel_record.h>

#include "model/series_access.h"

namespace travimo {

COstrelCls::COstrelCls() : series_(std::make_shared<CScanDataCls>()) {}

bool COstrelCls::AddScan(const SingleArray& sngScanArray) {
  RequireSeries(series_).PassScanData(sngScanArray);
  return false;
}

SingleArray COstrelCls::ScanData() const { return RequireSeries(series_).ScanData(); }

void COstrelCls::ScanData(const SingleArray& sngData) {
  RequireSeries(series_).PassScanData(sngData);
}

bool operator==(const COstrelCls& a, const COstrelCls& b) {
  return SameFields(a, b);
}

// A snapshot: the new record's own series take copies of the arrays.
OstrelPtr CopyForCollection(const COstrelCls& oOstrel) {
  auto made = std::make_shared<COstrelCls>();
  CopyValueFields(oOstrel, *made);
  for (const auto& field : FieldTable<COstrelCls>()) {
    if (!field.IsSeries()) continue;
    const auto from = std::get<ScanDataPtr>(field.Get(oOstrel));
    const auto to = std::get<ScanDataPtr>(field.Get(*made));
    RequireSeries(to).PassScanData(RequireSeries(from).ScanData());
  }
  return made;
}

}  // namespace travimo
