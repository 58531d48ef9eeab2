#include <travimo/model/lorvex_record.h>

#include "model/series_access.h"

namespace travimo {

CLorvexCls::CLorvexCls()
    : moisture_(std::make_shared<CScanDataCls>()),
      temperature_(std::make_shared<CScanDataCls>()),
      burst_(std::make_shared<CScanDataCls>()) {}

bool CLorvexCls::AddScan(const SingleArray& sngScanArray, int32_t lngScanType) {
  return AddScan(SingleArray(sngScanArray), lngScanType);
}

bool CLorvexCls::AddScan(SingleArray&& sngScanArray, int32_t lngScanType) {
  switch (lngScanType) {
    case 1:
      RequireSeries(moisture_).PassScanData(std::move(sngScanArray));
      break;
    case 2:
      RequireSeries(temperature_).PassScanData(std::move(sngScanArray));
      break;
    case 3:
      RequireSeries(burst_).PassScanData(std::move(sngScanArray));
      break;
    default:
      break;
  }
  return false;
}

SingleArray CLorvexCls::ScanData() const {
  return RequireSeries(moisture_).ScanData();
}
void CLorvexCls::ScanData(const SingleArray& sngData) {
  RequireSeries(moisture_).PassScanData(sngData);
}
SingleArray CLorvexCls::TemperatureData() const {
  return RequireSeries(temperature_).ScanData();
}
void CLorvexCls::TemperatureData(const SingleArray& sngData) {
  RequireSeries(temperature_).PassScanData(sngData);
}
SingleArray CLorvexCls::BurstData() const {
  return RequireSeries(burst_).ScanData();
}
void CLorvexCls::BurstData(const SingleArray& sngData) {
  RequireSeries(burst_).PassScanData(sngData);
}

bool operator==(const CLorvexCls& a, const CLorvexCls& b) {
  return SameFields(a, b);
}

// Sharing a series and then writing its own array back into it leaves it as it
// was, so the copy only shares; a null series still fails as the write would.
LorvexPtr CopyForCollection(const CLorvexCls& oLorvex) {
  auto made = std::make_shared<CLorvexCls>();
  for (const auto& field : FieldTable<CLorvexCls>()) {
    if (!field.IsSeries()) continue;
    const auto series = std::get<ScanDataPtr>(field.Get(oLorvex));
    RequireSeries(series);
    field.Set(*made, series);
  }
  return made;
}

}  // namespace travimo
