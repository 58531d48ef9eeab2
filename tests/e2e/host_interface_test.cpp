// The one-call read and the ready POSIX site against the simulator on a
// pseudo-terminal.
#include <gtest/gtest.h>

#include <vector>

#include "model/enums.h"
#include "model/error.h"
#include "platform/posix/read.h"
#include "platform/posix/site.h"
#include "sim/simulator.h"

namespace travimo::testing {
namespace {

constexpr const char* kMissingDevice = "/dev/travimo-no-such-device";

TEST(HostRead, ReturnsTheRecordsOfEachInstrument) {
  struct Case {
    sim::Mode mode;
    int32_t type;
    TransferKind kind;
  };
  for (const Case& c : {Case{sim::Mode::Lorvex, Lorvex, TransferKind::Lorvex},
                        Case{sim::Mode::Ostrel, Ostrel, TransferKind::Ostrel}}) {
    sim::Script script;
    script.mode = c.mode;
    script.scans = 2;
    script.points = 20;
    sim::Simulator simulator(script);
    simulator.Start();

    const ReadResults results = Read({.device = simulator.SlavePath(), .type = c.type});

    EXPECT_EQ(results.kind, c.kind) << c.type;
    EXPECT_EQ(results.Count(), 2) << c.type;
  }
}

TEST(HostRead, AFailedReadThrowsItsNumber) {
  try {
    Read({.device = kMissingDevice});
    FAIL() << "a read of a missing device returned";
  } catch (const RuntimeError& error) {
    EXPECT_EQ(error.Number(), ComportError);
    EXPECT_NE(error.Description().find(kMissingDevice), std::string::npos) << error.Description();
  }
}

TEST(HostSite, EventsArriveAtTheirCallbacks) {
  posix::Site site(kMissingDevice, "C");
  std::vector<int32_t> errors;
  int clicks = 0;
  site.events.onError = [&errors](int32_t number) { errors.push_back(number); };
  site.events.onClick = [&clicks] { ++clicks; };
  Travimo control(site.Services());
  control.InitProperties();

  control.ButtonClick();  // a read that fails, then the click

  EXPECT_EQ(errors, std::vector<int32_t>{ComportError});
  EXPECT_EQ(clicks, 1);
}

}  // namespace
}  // namespace travimo::testing
