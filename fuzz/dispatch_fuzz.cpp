// Any bytes as a finished read hands them on: the control classifies the text,
// runs that parser, reports a failure as TravimoError, and then every query a
// host may make must answer or fail cleanly with a RuntimeError.
#include <cstddef>
#include <cstdint>
#include <string>

#include <travimo/control/travimo.h>
#include "fuzz_support.h"
#include "support/memory_file_system.h"
#include "support/recording_container.h"
#include "support/scripted_serial.h"
#include "support/virtual_host.h"

namespace {

using namespace travimo;

template <class Query>
void Ask(Query query) {
  try {
    query();
  } catch (const RuntimeError&) {
  }
}

void AskEverything(Travimo& control) {
  float sum = 0.0f;
  const int32_t scans = control.NumberOfScans();
  // Enough scans to reach every code path, few enough to stay fast.
  const int32_t last = scans < 40 ? scans : 40;
  for (int32_t scan = 0; scan <= last + 1; ++scan) {
    Ask([&] { control.ScanNumber(scan); });
    Ask([&] { sum += fuzzing::Touch(control.OneScanDataArray()); });
    Ask([&] { sum += static_cast<float>(control.StringScanData().size()); });
    Ask([&] { sum += static_cast<float>(control.CurrentScanDataType().size()); });
    Ask([&] { sum += static_cast<float>(control.GetScanDataType(scan).size()); });
    for (int32_t item : {-1, 0, 1, 255, 256, 511, 512, 513, 32767, 32768}) {
      Ask([&] { sum += control.ScanDataElement(scan, item); });
    }
  }
  Ask([&] { sum += control.LorvexData() ? 1.0f : 0.0f; });
  Ask([&] { sum += control.OstrelData() ? 1.0f : 0.0f; });
  Ask([&] { sum += control.BrevaneData() ? 1.0f : 0.0f; });
  fuzzing::Consume(sum + fuzzing::WalkState(control.State()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzzing::Input input = fuzzing::Split(data, size);
  testing::RecordingContainer container;
  testing::VirtualHost host;
  host.SetRegional(fuzzing::RegionalFor(input.options));
  testing::ScriptedSerial serial(host);
  testing::MemoryFileSystem files;
  Travimo control(ControlSite{container, host, files, serial});
  control.InitProperties();
  ScanState options;
  fuzzing::ApplyOptions(input.options, options);
  Ask([&] { control.NumberOfPoints(options.numberOfPoints); });
  Ask([&] { control.ScanDataType(options.scanDataType); });
  Ask([&] { control.BlueLineTrigger(options.blueLineTrigger); });
  control.DecodeTransfer(input.text);
  AskEverything(control);
  return 0;
}
