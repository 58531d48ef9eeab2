#include <travimo/model/brevane_record.h>

#include "model/series_access.h"

namespace travimo {

CBrevaneCls::CBrevaneCls()
    : moisture_(std::make_shared<CScanDataCls>()),
      temperature_(std::make_shared<CScanDataCls>()) {}

bool CBrevaneCls::AddScan(const SingleArray& sngScanArray, bool booTemperature) {
  RequireSeries(booTemperature ? temperature_ : moisture_).PassScanData(sngScanArray);
  return false;
}

SingleArray CBrevaneCls::ScanData() const { return RequireSeries(moisture_).ScanData(); }
void CBrevaneCls::ScanData(const SingleArray& sngData) {
  RequireSeries(moisture_).PassScanData(sngData);
}
SingleArray CBrevaneCls::TempData() const { return RequireSeries(temperature_).ScanData(); }
void CBrevaneCls::TempData(const SingleArray& sngData) {
  RequireSeries(temperature_).PassScanData(sngData);
}

bool operator==(const CBrevaneCls& a, const CBrevaneCls& b) {
  return SameFields(a, b);
}

// Header fields copied, series shared (null ones too).
BrevanePtr CopyForCollection(const CBrevaneCls& oBrevane) {
  auto made = std::make_shared<CBrevaneCls>();
  for (const auto& field : FieldTable<CBrevaneCls>()) field.Set(*made, field.Get(oBrevane));
  return made;
}

}  // namespace travimo
