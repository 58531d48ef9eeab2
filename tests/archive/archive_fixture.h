#pragma once
// Archives in real SQLite files of a folder of the test's own, and reads as
// the control decodes them. States a test sets up by hand go through
// archive::Connection.
#include <unistd.h>

#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "archive/archive_store.h"
#include "control/control_fixture.h"
#include <travimo/model/error.h>
#include "sim/lorvex_encoder.h"
#include "support/caught_error.h"
#include "support/same_results.h"

namespace travimo::testing {

namespace fs = std::filesystem;
using archive::ReadEntry;

inline fs::path FreshDir(const std::string& name) {
  const fs::path dir =
      fs::temp_directory_path() / ("travimo-archive-" + name + "-" + std::to_string(::getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  return dir;
}

inline std::vector<uint8_t> Bytes(const std::string& text) {
  return {text.begin(), text.end()};
}

// Every column of an entry but its records, for comparing whole entries.
inline auto Columns(const ReadEntry& e) {
  const auto& s = e.settings;
  return std::tie(e.startedUtcMs, e.endedUtcMs, e.utcOffsetMinutes, e.programVersion, e.source,
                  e.parentId, e.device, e.port, e.lineSettings, e.typeAsked, s.scanDataType,
                  s.tempUnits, s.numberOfPoints, s.blueLineTrigger, s.arrayStart, e.errorNumber,
                  e.errorName, e.errorDescription, e.raw);
}

class ArchiveTest : public ControlTest {
 protected:
  ArchiveTest() : dir(FreshDir(::testing::UnitTest::GetInstance()->current_test_info()->name())) {}
  ~ArchiveTest() override { fs::remove_all(dir); }

  // A read of text as the control decodes it, with every column filled.
  ReadEntry Decoded(const std::string& text) {
    control.DecodeTransfer(text);
    return {.startedUtcMs = 1'700'000'000'000, .endedUtcMs = 1'700'000'002'500,
            .utcOffsetMinutes = 60, .programVersion = "9.9.9", .source = "demo", .parentId = {},
            .device = "/dev/ttyUSB0", .port = 3, .lineSettings = "9600,N,8,1",
            .typeAsked = control.TravimoType(), .settings = {2, 1, 256, 7, 1}, .errorNumber = 0,
            .errorName = {}, .errorDescription = {}, .raw = Bytes(text),
            .results = CollectResults(control)};
  }

  fs::path dir;
  fs::path file = dir / "archive.sqlite";
};

}  // namespace travimo::testing
