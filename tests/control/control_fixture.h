#pragma once
// One control on the test doubles; the Load helpers fill its scan state the
// way a parser does, through the control's parser-facing interface.
#include <gtest/gtest.h>

#include <memory>
#include <numeric>
#include <vector>

#include "control/control_link.h"
#include <travimo/control/travimo.h>
#include "support/caught_error.h"
#include "support/memory_file_system.h"
#include "support/recording_container.h"
#include "support/scripted_serial.h"
#include "support/virtual_host.h"

namespace travimo::testing {

// A control of its own, for a test that needs a fresh one or another container.
template <class C = RecordingContainer>
struct ControlRig {
  VirtualHost host;
  ScriptedSerial serial{host};
  C container;
  MemoryFileSystem files;
  Travimo control{ControlSite{container, host, files, serial}};
};

class ControlTest : public ::testing::Test, public ControlRig<> {
 protected:
  ParseContext& Parser() { return ControlLink::Of(control); }
  ScanState& State() { return Parser().MutableState(); }

  // Points lower..lower+size-1 valued first, first+1, ...
  static SingleArray Ramp(int32_t lower, int32_t size, float first) {
    std::vector<float> values(static_cast<size_t>(size));
    std::iota(values.begin(), values.end(), first);
    return SingleArray(lower, std::move(values));
  }

  // Scans as a parse leaves them: a fresh collection, the count, the last one selected.
  template <class Record, class Add>
  void Load(std::shared_ptr<KeyedCollection<Record>>& col, int32_t type,
            const std::vector<SingleArray>& scans, Add add) {
    col = std::make_shared<KeyedCollection<Record>>();
    for (const auto& scan : scans) {
      auto record = std::make_shared<Record>();
      add(*record, scan);
      col->Add(record);
    }
    State().numberOfScans = col->Count();
    if (control.TravimoType() != type) Parser().LetTravimoType(type);
    Parser().LetScanNumber(col->Count());
  }
  void LoadLorvex(const std::vector<SingleArray>& scans) {
    Load(State().lorvexCol, Lorvex, scans, [](auto& r, auto& s) { r.AddScan(s, 1); });
  }
  void LoadOstrel(const std::vector<SingleArray>& scans) {
    Load(State().ostrelCol, Ostrel, scans, [](auto& r, auto& s) { r.AddScan(s); });
  }
  void LoadBrevane(const std::vector<SingleArray>& scans) {
    Load(State().brevaneCol, Brevane, scans, [](auto& r, auto& s) { r.AddScan(s, false); });
  }
};

}  // namespace travimo::testing
