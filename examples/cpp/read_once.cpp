// The smallest host of the control: read one instrument on a device and print
// each record's first point. Usage: read_once DEVICE [lorvex|ostrel|brevane]
// (DEVICE: a tty, a pseudo-terminal, socket://HOST:PORT or rfc2217://HOST:PORT).
#include <iostream>
#include <string>

#include <travimo/model/error.h>
#include <travimo/platform/posix/read.h>

namespace {

void Print(int index, const travimo::SingleArray& points) {
  std::cout << "record " << index << ": " << points.Size() << " points, first "
            << (points.Empty() ? 0.0f : points.Values().front()) << '\n';
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::cerr << "usage: read_once DEVICE [lorvex|ostrel|brevane]\n";
    return 2;
  }
  const std::string type = argc == 3 ? argv[2] : "lorvex";
  travimo::ReadOptions options{.device = argv[1]};
  options.type = type == "ostrel" ? travimo::Ostrel
                 : type == "brevane" ? travimo::Brevane : travimo::Lorvex;
  try {
    const travimo::ReadResults results = travimo::Read(options);
    int index = 0;
    for (const auto& scan : results.lorvex) Print(++index, scan.record->ScanData());
    for (const auto& record : results.ostrel) Print(++index, record->ScanData());
    for (const auto& record : results.brevane) Print(++index, record->ScanData());
  } catch (const travimo::RuntimeError& error) {
    std::cerr << "error " << error.Number() << ": " << error.Description() << '\n';
    return 1;
  }
}
