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

  // Scans as a Lorvex parse leaves them: a fresh collection, the count, the last selected.
  void LoadLorvex(const std::vector<SingleArray>& scans) {
    auto collection = std::make_shared<CLorvexColCls>();
    for (const auto& scan : scans) {
      auto record = std::make_shared<CLorvexCls>();
      record->AddScan(scan, 1);
      collection->Add(record);
    }
    State().lorvexCol = collection;
    State().numberOfScans = collection->Count();
    Parser().LetScanNumber(collection->Count());
  }

  void LoadOstrel(const std::vector<SingleArray>& scans) {
    auto collection = std::make_shared<COstrelColCls>();
    for (const auto& scan : scans) {
      auto record = std::make_shared<COstrelCls>();
      record->AddScan(scan);
      collection->Add(record);
    }
    State().ostrelCol = collection;
    State().numberOfScans = collection->Count();
    Parser().LetTravimoType(Ostrel);
    Parser().LetScanNumber(collection->Count());
  }

  void LoadBrevane(const std::vector<SingleArray>& scans) {
    auto collection = std::make_shared<CBrevaneColCls>();
    for (const auto& scan : scans) {
      auto record = std::make_shared<CBrevaneCls>();
      record->AddScan(scan, false);
      collection->Add(record);
    }
    State().brevaneCol = collection;
    State().numberOfScans = collection->Count();
    Parser().LetTravimoType(Brevane);
    Parser().LetScanNumber(collection->Count());
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
