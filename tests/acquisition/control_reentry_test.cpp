// The read cycle inside the real control: a host handler that asks for another
// read while one runs gets none, and the running read is not disturbed.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "control/travimo.h"
#include "support/memory_file_system.h"
#include "support/recording_container.h"
#include "support/scripted_serial.h"
#include "support/virtual_host.h"

namespace travimo::testing {
namespace {

using ::testing::IsEmpty;

struct ControlRig {
  ControlRig() {
    control.InitProperties();
    control.Caption("Read");
  }
  RecordingContainer container;
  VirtualHost host;
  ScriptedSerial serial{host};
  MemoryFileSystem files;
  Travimo control{ControlSite{container, host, files, serial}};
};

TEST(ControlReentry, ValueTrueAndReadTravimoInsideAReadStartNothing) {
  ControlRig rig;
  rig.serial.SendAfterOpen(0.5, "P");
  rig.serial.SendAfterOpen(1.5, "##");
  std::string captionBefore, captionAfter;
  rig.host.At(1.0, [&] {
    captionBefore = rig.control.Caption();
    rig.control.Value(true);
    rig.control.ReadTravimo();
    captionAfter = rig.control.Caption();
  });

  rig.control.Value(true);

  EXPECT_EQ(captionBefore, "Reading!");
  EXPECT_EQ(captionAfter, "Reading!");
  EXPECT_EQ(rig.serial.OpenCount(), 1);
  EXPECT_EQ(rig.serial.Written(), std::string("D\0", 2));
  EXPECT_EQ(rig.container.CountOf("Click"), 1);  // the outer click only
  EXPECT_EQ(rig.control.Caption(), "Read");
  // The one read ran to its parser, which found no scan in "P##".
  EXPECT_THAT(rig.container.ErrorNumbers(), ::testing::ElementsAre(ComportReadError));
}

TEST(ControlReentry, ReadTravimoLeavesTheLastCaptionOfTheCycle) {
  ControlRig rig;
  rig.serial.SendAfterOpen(0.5, "##");
  rig.control.ReadTravimo();
  EXPECT_EQ(rig.control.Caption(), "Reading");
  EXPECT_EQ(rig.container.CountOf("Click"), 0);
  EXPECT_FALSE(rig.control.Reading());
  EXPECT_THAT(rig.control.ReceivedSoFar(), IsEmpty());
}

}  // namespace
}  // namespace travimo::testing
