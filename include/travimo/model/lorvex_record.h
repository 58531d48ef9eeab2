#pragma once
// CLorvexCls: one Lorvex scan with its moisture, temperature and burst series.
#include <cstdint>
#include <memory>

#include <travimo/model/field_table.h>
#include <travimo/model/keyed_collection.h>
#include <travimo/model/scan_data.h>

namespace travimo {

class CLorvexCls {
 public:
  CLorvexCls();

  ScanDataPtr cScanData() const { return moisture_; }
  void cScanData(ScanDataPtr series) { moisture_ = std::move(series); }
  ScanDataPtr cScanTemp() const { return temperature_; }
  void cScanTemp(ScanDataPtr series) { temperature_ = std::move(series); }
  ScanDataPtr cScanBurst() const { return burst_; }
  void cScanBurst(ScanDataPtr series) { burst_ = std::move(series); }

  // lngScanType 1 moisture, 2 temperature, 3 burst; anything else changes nothing.
  bool AddScan(const SingleArray& sngScanArray, int32_t lngScanType);
  bool AddScan(SingleArray&& sngScanArray, int32_t lngScanType);

  // The data properties fail with 91 when the host has set their series to null.
  SingleArray ScanData() const;
  void ScanData(const SingleArray& sngData);
  SingleArray TemperatureData() const;
  void TemperatureData(const SingleArray& sngData);
  SingleArray BurstData() const;
  void BurstData(const SingleArray& sngData);

  int32_t ScanNumber() const { return scanNumber_; }
  void ScanNumber(int32_t lonScanNumber) { scanNumber_ = lonScanNumber; }

 private:
  ScanDataPtr moisture_;
  ScanDataPtr temperature_;
  ScanDataPtr burst_;
  int32_t scanNumber_ = 1;
};

bool operator==(const CLorvexCls& a, const CLorvexCls& b);  // series by value

template <>
struct RecordFields<CLorvexCls> {
  using F = FieldInfo<CLorvexCls>;
  using R = CLorvexCls;
  static constexpr std::string_view kName = "Lorvex";
  static constexpr std::array kFields = {
      F{"cScanData", &R::cScanData, &R::cScanData, "ScanData"},
      F{"cScanTemp", &R::cScanTemp, &R::cScanTemp, "TemperatureData"},
      F{"cScanBurst", &R::cScanBurst, &R::cScanBurst, "BurstData"},
      F{"ScanNumber", &R::ScanNumber, &R::ScanNumber},
  };
};

using LorvexPtr = std::shared_ptr<CLorvexCls>;
using CLorvexColCls = KeyedCollection<CLorvexCls>;

// The stored record shares the three series with oLorvex; the scan number is not copied.
LorvexPtr CopyForCollection(const CLorvexCls& oLorvex);

}  // namespace travimo
