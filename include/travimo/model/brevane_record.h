#pragma once
// CBrevaneCls: one Brevane measurement, its tagged header fields and two series.
#include <cstdint>
#include <memory>
#include <string>

#include <travimo/model/date.h>
#include <travimo/model/field_table.h>
#include <travimo/model/keyed_collection.h>
#include <travimo/model/scan_data.h>

namespace travimo {

class CBrevaneCls {
 public:
  CBrevaneCls();

  ScanDataPtr cScanData() const { return moisture_; }
  void cScanData(ScanDataPtr series) { moisture_ = std::move(series); }
  ScanDataPtr cScanTemp() const { return temperature_; }
  void cScanTemp(ScanDataPtr series) { temperature_ = std::move(series); }

  const std::string& TypeOfMeasuringHead() const { return typeOfMeasuringHead_; }
  void TypeOfMeasuringHead(const std::string& strTypeOfMeasuringHead) {
    typeOfMeasuringHead_ = strTypeOfMeasuringHead;
  }
  int32_t MeasurementNumber() const { return measurementNumber_; }
  void MeasurementNumber(int32_t lonMeasurementNumber) {
    measurementNumber_ = lonMeasurementNumber;
  }
  const std::string& IDCode() const { return idCode_; }
  void IDCode(const std::string& strIDCode) { idCode_ = strIDCode; }
  Date DateTime() const { return dateTime_; }
  void DateTime(Date datDateTime) { dateTime_ = datDateTime; }
  float BasisWeightValue() const { return basisWeightValue_; }
  void BasisWeightValue(float sinBasisWeightValue) { basisWeightValue_ = sinBasisWeightValue; }
  const std::string& BasisWeightUnit() const { return basisWeightUnit_; }
  void BasisWeightUnit(const std::string& strBasisWeightUnit) {
    basisWeightUnit_ = strBasisWeightUnit;
  }
  const std::string& TypeOfBasisWeight() const { return typeOfBasisWeight_; }
  void TypeOfBasisWeight(const std::string& strTypeOfBasisWeight) {
    typeOfBasisWeight_ = strTypeOfBasisWeight;
  }
  float SamplingRate() const { return samplingRate_; }
  void SamplingRate(float sinSamplingRate) { samplingRate_ = sinSamplingRate; }
  int32_t GradeNo() const { return gradeNo_; }
  void GradeNo(int32_t lonGradeNo) { gradeNo_ = lonGradeNo; }
  const std::string& CalibrationConstantA() const { return calibrationA_; }
  void CalibrationConstantA(const std::string& strCalibrationConstantA) {
    calibrationA_ = strCalibrationConstantA;
  }
  const std::string& CalibrationConstantB() const { return calibrationB_; }
  void CalibrationConstantB(const std::string& strCalibrationConstantB) {
    calibrationB_ = strCalibrationConstantB;
  }
  const std::string& MoistureUnit() const { return moistureUnit_; }
  void MoistureUnit(const std::string& strMoistureUnit) { moistureUnit_ = strMoistureUnit; }
  const std::string& TemperatureUnit() const { return temperatureUnit_; }
  void TemperatureUnit(const std::string& strTemperatureUnit) {
    temperatureUnit_ = strTemperatureUnit;
  }
  int32_t ScanNumber() const { return scanNumber_; }
  void ScanNumber(int32_t lonScanNumber) { scanNumber_ = lonScanNumber; }

  // booTemperature true fills the temperature series, false the moisture series.
  bool AddScan(const SingleArray& sngScanArray, bool booTemperature);
  SingleArray ScanData() const;
  void ScanData(const SingleArray& sngData);
  SingleArray TempData() const;
  void TempData(const SingleArray& sngData);

 private:
  ScanDataPtr moisture_;
  ScanDataPtr temperature_;
  std::string typeOfMeasuringHead_;
  int32_t measurementNumber_ = 0;
  std::string idCode_;
  Date dateTime_;
  float basisWeightValue_ = 0.0f;
  std::string basisWeightUnit_;
  std::string typeOfBasisWeight_;
  float samplingRate_ = 0.0f;
  int32_t gradeNo_ = 0;
  std::string calibrationA_;
  std::string calibrationB_;
  std::string moistureUnit_;
  std::string temperatureUnit_;
  int32_t scanNumber_ = 0;
};

bool operator==(const CBrevaneCls& a, const CBrevaneCls& b);  // series by value

template <>
struct RecordFields<CBrevaneCls> {
  using F = FieldInfo<CBrevaneCls>;
  using R = CBrevaneCls;
  static constexpr std::string_view kName = "Brevane";
  static constexpr std::array kFields = {
      F{"cScanData", &R::cScanData, &R::cScanData, "ScanData"},
      F{"cScanTemp", &R::cScanTemp, &R::cScanTemp, "TempData"},
      F{"TypeOfMeasuringHead", &R::TypeOfMeasuringHead, &R::TypeOfMeasuringHead},
      F{"MeasurementNumber", &R::MeasurementNumber, &R::MeasurementNumber},
      F{"IDCode", &R::IDCode, &R::IDCode},
      F{"DateTime", &R::DateTime, &R::DateTime},
      F{"BasisWeightValue", &R::BasisWeightValue, &R::BasisWeightValue},
      F{"BasisWeightUnit", &R::BasisWeightUnit, &R::BasisWeightUnit},
      F{"TypeOfBasisWeight", &R::TypeOfBasisWeight, &R::TypeOfBasisWeight},
      F{"SamplingRate", &R::SamplingRate, &R::SamplingRate},
      F{"GradeNo", &R::GradeNo, &R::GradeNo},
      F{"CalibrationConstantA", &R::CalibrationConstantA, &R::CalibrationConstantA},
      F{"CalibrationConstantB", &R::CalibrationConstantB, &R::CalibrationConstantB},
      F{"MoistureUnit", &R::MoistureUnit, &R::MoistureUnit},
      F{"TemperatureUnit", &R::TemperatureUnit, &R::TemperatureUnit},
      F{"ScanNumber", &R::ScanNumber, &R::ScanNumber},
  };
};

using BrevanePtr = std::shared_ptr<CBrevaneCls>;
using CBrevaneColCls = KeyedCollection<CBrevaneCls>;

// Copies the fourteen header fields and shares both series with oBrevane.
BrevanePtr CopyForCollection(const CBrevaneCls& oBrevane);

}  // namespace travimo
