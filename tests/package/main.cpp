// Prints the bounds of a series and the name of the error a read of a missing
// device throws: "1 3 ComportError".
#include <iostream>

// Every public header, so that each must resolve from the package alone.
#include <travimo/travimo.h>

int main() {
  travimo::CScanDataCls series;
  series.PassScanData(travimo::SingleArray(1, {0.5f, 1.5f, 2.5f}));
  const travimo::SingleArray data = series.ScanData();

  // The ready site and its callbacks must link from the package as well.
  travimo::posix::Site site("/dev/travimo-consumer-no-such-device");
  int32_t failed = 0;
  site.events.onError = [&failed](int32_t number) { failed = number; };
  travimo::Travimo control(site.Services());
  control.InitProperties();

  control.ReadTravimo();  // the failure arrives at the callback

  int32_t thrown = 0;
  try {
    travimo::Read({.device = site.Serial().DeviceFor(1)});
  } catch (const travimo::RuntimeError& error) {
    thrown = error.Number();
  }
  if (thrown != failed) return 1;
  std::cout << data.LowerBound() << ' ' << data.UpperBound() << ' '
            << travimo::MemberName("TravimoErrors", failed).value_or("?") << '\n';
}
