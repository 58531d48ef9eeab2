#include "model/ostrel_record.h"

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

OstrelPtr CopyForCollection(const COstrelCls& oOstrel) {
  auto made = std::make_shared<COstrelCls>();
  made->BasisWeightValue(oOstrel.BasisWeightValue());
  made->CalibrationConstantA(oOstrel.CalibrationConstantA());
  made->CalibrationConstantB(oOstrel.CalibrationConstantB());
  made->DateTime(oOstrel.DateTime());
  made->MeasurementNumber(oOstrel.MeasurementNumber());
  made->ScanNumber(oOstrel.ScanNumber());
  made->SamplingRate(oOstrel.SamplingRate());
  made->ScanData(oOstrel.ScanData());
  return made;
}

}  // namespace travimo
