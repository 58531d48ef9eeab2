#pragma once
// One control on the test doubles, with helpers that fill its scan state the
// way a parser does: through the control's parser-facing interface.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "control/travimo.h"
#include "support/memory_file_system.h"
#include "support/recording_container.h"
#include "support/scripted_serial.h"
#include "support/virtual_host.h"

namespace travimo::testing {

class ControlTest : public ::testing::Test {
 protected:
  template <class Record, class Fill>
  static std::shared_ptr<KeyedCollection<Record>> Collection(const std::vector<SingleArray>& scans,
                                                             Fill fill) {
    auto collection = std::make_shared<KeyedCollection<Record>>();
    for (const auto& scan : scans) {
      auto record = std::make_shared<Record>();
      fill(*record, scan);
      collection->Add(record);
    }
    return collection;
  }

  void Finish(int32_t type, int32_t count) {
    State().numberOfScans = count;
    if (control.TravimoType() != type) Parser().LetTravimoType(type);
    Parser().LetScanNumber(count);
  }

  ControlTest() : serial(host), control(ControlSite{container, host, files, serial}) {}

  // The control as a parser sees it; the base is private to everyone else.
  ParseContext& Parser() { return (ParseContext&)control; }
  ScanState& State() { return Parser().MutableState(); }

  // A point array lower..lower+size-1 whose values start at first and step by 1.
  static SingleArray Ramp(int32_t lower, int32_t size, float first) {
    std::vector<float> values(static_cast<size_t>(size));
    for (int32_t i = 0; i < size; ++i)
      values[static_cast<size_t>(i)] = first + static_cast<float>(i);
    return SingleArray(lower, std::move(values));
  }

  // Scans as a parse leaves them: a fresh collection, the count, the last one selected.
  void LoadLorvex(const std::vector<SingleArray>& scans) {
    State().lorvexCol =
        Collection<CLorvexCls>(scans, [](auto& r, auto& scan) { r.AddScan(scan, 1); });
    Finish(Lorvex, State().lorvexCol->Count());
  }
  void LoadOstrel(const std::vector<SingleArray>& scans) {
    State().ostrelCol = Collection<COstrelCls>(scans, [](auto& r, auto& scan) { r.AddScan(scan); });
    Finish(Ostrel, State().ostrelCol->Count());
  }
  void LoadBrevane(const std::vector<SingleArray>& scans) {
    State().brevaneCol =
        Collection<CBrevaneCls>(scans, [](auto& r, auto& scan) { r.AddScan(scan, false); });
    Finish(Brevane, State().brevaneCol->Count());
  }

  VirtualHost host;
  ScriptedSerial serial;
  RecordingContainer container;
  MemoryFileSystem files;
  Travimo control;
};

// Runs f and returns the number of the RuntimeError it raised, or 0.
template <class F>
int32_t ErrorOf(F&& f) {
  try {
    f();
  } catch (const RuntimeError& error) {
    return error.Number();
  }
  return 0;
}

}  // namespace travimo::testing
