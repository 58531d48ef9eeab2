#include <travimo/model/scan_data.h>

namespace travimo {

CScanDataCls::CScanDataCls() : data_(0, 0) {}

bool CScanDataCls::PassScanData(const SingleArray& sngData) {
  data_ = sngData;
  return false;
}

bool CScanDataCls::PassScanData(SingleArray&& sngData) {
  data_ = std::move(sngData);
  return false;
}

float CScanDataCls::ElementData(int32_t lngElement) const {
  return data_.Contains(lngElement) ? data_.At(lngElement) : 0.0f;
}

std::shared_ptr<CScanDataCls> CopyForCollection(const CScanDataCls& oScanData) {
  auto made = std::make_shared<CScanDataCls>();
  made->ScanData(oScanData.ScanData());
  return made;
}

}  // namespace travimo
