#pragma once
// COstrelCls: one Ostrel scan with the header fields of its measurement.
#include <cstdint>
#include <memory>
#include <string>

#include <travimo/model/date.h>
#include <travimo/model/field_table.h>
#include <travimo/model/keyed_collection.h>
#include <travimo/model/scan_data.h>

namespace travimo {

class COstrelCls {
 public:
  COstrelCls();

  ScanDataPtr cScanData() const { return series_; }
  void cScanData(ScanDataPtr series) { series_ = std::move(series); }

  const std::string& CalibrationConstantA() const { return calibrationA_; }
  void CalibrationConstantA(const std::string& strCalibrationConstantA) {
    calibrationA_ = strCalibrationConstantA;
  }
  const std::string& CalibrationConstantB() const { return calibrationB_; }
  void CalibrationConstantB(const std::string& strCalibrationConstantB) {
    calibrationB_ = strCalibrationConstantB;
  }
  const std::string& BasisWeightValue() const { return basisWeight_; }
  void BasisWeightValue(const std::string& strBasisWeightValue) {
    basisWeight_ = strBasisWeightValue;
  }
  int32_t MeasurementNumber() const { return measurementNumber_; }
  void MeasurementNumber(int32_t lonMeasurementNumber) {
    measurementNumber_ = lonMeasurementNumber;
  }
  int32_t SamplingRate() const { return samplingRate_; }
  void SamplingRate(int32_t lonSamplingRate) { samplingRate_ = lonSamplingRate; }
  Date DateTime() const { return dateTime_; }
  void DateTime(Date datDateTime) { dateTime_ = datDateTime; }

  // Replaces the series' array by a copy of sngScanArray; always false.
  bool AddScan(const SingleArray& sngScanArray);
  SingleArray ScanData() const;
  void ScanData(const SingleArray& sngData);

  int32_t ScanNumber() const { return scanNumber_; }
  void ScanNumber(int32_t lonScanNumber) { scanNumber_ = lonScanNumber; }

 private:
  ScanDataPtr series_;
  std::string calibrationA_;
  std::string calibrationB_;
  std::string basisWeight_;
  int32_t measurementNumber_ = 0;
  int32_t samplingRate_ = 0;
  Date dateTime_;
  int32_t scanNumber_ = 1;
};

bool operator==(const COstrelCls& a, const COstrelCls& b);  // series by value

template <>
struct RecordFields<COstrelCls> {
  using F = FieldInfo<COstrelCls>;
  using R = COstrelCls;
  static constexpr std::string_view kName = "Ostrel";
  static constexpr std::array kFields = {
      F{"cScanData", &R::cScanData, &R::cScanData, "ScanData"},
      F{"CalibrationConstantA", &R::CalibrationConstantA, &R::CalibrationConstantA},
      F{"CalibrationConstantB", &R::CalibrationConstantB, &R::CalibrationConstantB},
      F{"BasisWeightValue", &R::BasisWeightValue, &R::BasisWeightValue},
      F{"MeasurementNumber", &R::MeasurementNumber, &R::MeasurementNumber},
      F{"SamplingRate", &R::SamplingRate, &R::SamplingRate},
      F{"DateTime", &R::DateTime, &R::DateTime},
      F{"ScanNumber", &R::ScanNumber, &R::ScanNumber},
  };
};

using OstrelPtr = std::shared_ptr<COstrelCls>;
using COstrelColCls = KeyedCollection<COstrelCls>;

// A snapshot sharing nothing with oOstrel; the scan number is copied.
OstrelPtr CopyForCollection(const COstrelCls& oOstrel);

}  // namespace travimo
