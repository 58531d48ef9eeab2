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

TEST(ControlReentry, ClickValueTrueAndReadTravimoInsideAReadStartNothing) {
  RecordingContainer container;
  VirtualHost host;
  ScriptedSerial serial{host};
  MemoryFileSystem files;
  Travimo control{ControlSite{container, host, files, serial}};
  control.InitProperties();
  control.Caption("Read");
  serial.SendAfterOpen(0.5, "P");
  serial.SendAfterOpen(1.5, "##");
  std::string captionBefore, captionAfter;
  host.At(1.0, [&] {
    captionBefore = control.Caption();
    control.ButtonClick();
    control.Value(true);
    control.ReadTravimo();
    captionAfter = control.Caption();
  });

  control.Value(true);

  EXPECT_EQ(captionBefore, "Reading!");
  EXPECT_EQ(captionAfter, "Reading!");
  EXPECT_EQ(serial.OpenCount(), 1);
  EXPECT_EQ(serial.Written(), std::string("D\0", 2));
  EXPECT_EQ(container.CountOf("Click"), 1);  // the outer one only
  EXPECT_EQ(control.Caption(), "Read");
  // The one read ran to its parser, which found no scan in "P##".
  EXPECT_THAT(container.ErrorNumbers(), ::testing::ElementsAre(ComportReadError));
}

}  // namespace
}  // namespace travimo::testing
