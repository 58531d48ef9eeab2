// Prints the bounds of a series and the name of an error code: "1 3 ComportError".
#include <iostream>

#include "control/travimo.h"  // the whole control interface resolves from include/travimo
#include "model/enums.h"
#include "model/scan_data.h"

int main() {
  travimo::CScanDataCls series;
  series.PassScanData(travimo::SingleArray(1, {0.5f, 1.5f, 2.5f}));
  const travimo::SingleArray data = series.ScanData();
  std::cout << data.LowerBound() << ' ' << data.UpperBound() << ' '
            << travimo::MemberName("TravimoErrors", travimo::ComportError).value_or("?") << '\n';
}
