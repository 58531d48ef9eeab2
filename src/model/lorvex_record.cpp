#include "model/lorvex_record.h"

#include "model/series_access.h"

namespace travimo {

CLorvexCls::CLorvexCls()
    : moisture_(std::make_shared<CScanDataCls>()),
      temperature_(std::make_shared<CScanDataCls>()),
      burst_(std::make_shared<CScanDataCls>()) {}

bool CLorvexCls::AddScan(const SingleArray& sngScanArray, int32_t lngScanType) {
  switch (lngScanType) {
    case 1: RequireSeries(moisture_).PassScanData(sngScanArray); break;
    case 2: RequireSeries(temperature_).PassScanData(sngScanArray); break;
    case 3: RequireSeries(burst_).PassScanData(sngScanArray); break;
    default: break;
  }
  return false;
}

SingleArray CLorvexCls::ScanData() const { return RequireSeries(moisture_).ScanData(); }
void CLorvexCls::ScanData(const SingleArray& sngData) {
  RequireSeries(moisture_).PassScanData(sngData);
}
SingleArray CLorvexCls::TemperatureData() const { return RequireSeries(temperature_).ScanData(); }
void CLorvexCls::TemperatureData(const SingleArray& sngData) {
  RequireSeries(temperature_).PassScanData(sngData);
}
SingleArray CLorvexCls::BurstData() const { return RequireSeries(burst_).ScanData(); }
void CLorvexCls::BurstData(const SingleArray& sngData) {
  RequireSeries(burst_).PassScanData(sngData);
}

LorvexPtr CopyForCollection(const CLorvexCls& oLorvex) {
  auto made = std::make_shared<CLorvexCls>();
  made->cScanData(oLorvex.cScanData());
  made->ScanData(oLorvex.ScanData());
  made->cScanTemp(oLorvex.cScanTemp());
  made->TemperatureData(oLorvex.TemperatureData());
  made->cScanBurst(oLorvex.cScanBurst());
  made->BurstData(oLorvex.BurstData());
  return made;
}

}  // namespace travimo
