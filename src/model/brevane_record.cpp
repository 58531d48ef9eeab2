#include "model/brevane_record.h"

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

BrevanePtr CopyForCollection(const CBrevaneCls& oBrevane) {
  auto made = std::make_shared<CBrevaneCls>();
  made->TypeOfMeasuringHead(oBrevane.TypeOfMeasuringHead());
  made->MeasurementNumber(oBrevane.MeasurementNumber());
  made->IDCode(oBrevane.IDCode());
  made->DateTime(oBrevane.DateTime());
  made->BasisWeightValue(oBrevane.BasisWeightValue());
  made->BasisWeightUnit(oBrevane.BasisWeightUnit());
  made->TypeOfBasisWeight(oBrevane.TypeOfBasisWeight());
  made->SamplingRate(oBrevane.SamplingRate());
  made->GradeNo(oBrevane.GradeNo());
  made->CalibrationConstantA(oBrevane.CalibrationConstantA());
  made->CalibrationConstantB(oBrevane.CalibrationConstantB());
  made->MoistureUnit(oBrevane.MoistureUnit());
  made->TemperatureUnit(oBrevane.TemperatureUnit());
  made->ScanNumber(oBrevane.ScanNumber());
  made->cScanData(oBrevane.cScanData());
  made->cScanTemp(oBrevane.cScanTemp());
  return made;
}

}  // namespace travimo
