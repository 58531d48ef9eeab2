// The smallest host of the control: read one instrument on a device and print
// each scan's first point. Usage: read_once DEVICE (a tty, a pseudo-terminal,
// socket://HOST:PORT or rfc2217://HOST:PORT).
#include <cstdint>
#include <iostream>
#include <memory>
#include <string>

#include "control/travimo.h"
#include "platform/posix/posix_file_system.h"
#include "platform/posix/posix_host.h"
#include "platform/posix/device_backend.h"
#include "platform/simple_container.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: read_once DEVICE\n";
    return 2;
  }
  const std::string device = argv[1];
  travimo::posix::PosixHost host;
  travimo::posix::DeviceBackend serial([device](int16_t) { return device; });
  travimo::posix::PosixFileSystem files;
  travimo::SimpleContainer container;  // run time; keeps the last TravimoError
  travimo::Travimo control({container, host, files, serial});
  control.InitProperties();

  control.ReadTravimo();  // failures arrive as the TravimoError event
  if (container.lastError != 0) {
    std::cerr << "error " << container.lastError << ": " << control.LastErrorDescription() << '\n';
    return 1;
  }
  for (int32_t scan = 1; scan <= control.NumberOfScans(); ++scan) {
    control.ScanNumber(scan);
    const travimo::SingleArray points = control.OneScanDataArray();
    std::cout << "scan " << scan << ": " << points.Size() << " points, first "
              << (points.Empty() ? 0.0f : points.Values().front()) << '\n';
  }
}
