#pragma once
// CScanDataCls: one data series. Every read hands out a copy and every write
// stores a copy, bounds included, so no caller holds a view into the storage.
#include <cstdint>
#include <memory>

#include <travimo/model/single_array.h>

namespace travimo {

class CScanDataCls {
 public:
  CScanDataCls();  // one element, bounds 0 to 0, value 0.0

  SingleArray ScanData() const { return data_; }
  void ScanData(const SingleArray& sinScanData) { data_ = sinScanData; }
  // Always false; the result carries no meaning.
  bool PassScanData(const SingleArray& sngData);
  bool PassScanData(SingleArray&& sngData);
  // 0.0 for an index outside the bounds, never a failure.
  float ElementData(int32_t lngElement) const;

 private:
  SingleArray data_;
};

using ScanDataPtr = std::shared_ptr<CScanDataCls>;

// What CScanDataColCls.Add stores: a new series with an independent copy.
std::shared_ptr<CScanDataCls> CopyForCollection(const CScanDataCls& oScanData);

}  // namespace travimo
