#include "control_fixture.h"

namespace travimo::testing {
namespace {

using ReadPropertiesTest = ControlTest;

TEST_F(ReadPropertiesTest, OutPutFileNameFallsBackToTheDefaultWhenEmpty) {
  control.OutPutFileName("");
  EXPECT_EQ(container.changes.back(), "OutPutFileName");
  EXPECT_EQ(control.OutPutFileName(), "RawData.dat");
  control.OutPutFileName("scan.bin");
  EXPECT_EQ(control.OutPutFileName(), "scan.bin");
}

TEST_F(ReadPropertiesTest, ReadTravimoRunsTheCycleWithoutCaptionHandlingOrClick) {
  control.Caption("Go");
  serial.SendAfterOpen(0.5, "##");
  control.ReadTravimo();
  EXPECT_EQ(control.Caption(), "Reading");  // the last caption of the cycle
  EXPECT_EQ(serial.Written(), std::string("D\0", 2));
  EXPECT_EQ(container.CountOf("Click"), 0);
  EXPECT_EQ(container.ErrorNumbers(), std::vector<int32_t>{ComportReadError});
  EXPECT_FALSE(control.Reading());
  EXPECT_TRUE(control.ReceivedSoFar().empty());
}

TEST_F(ReadPropertiesTest, ValueTruePressesTheButtonLikeAClick) {
  control.Caption("Go");
  control.Value(true);
  EXPECT_EQ(control.Caption(), "Go");
  EXPECT_EQ(serial.OpenCount(), 1);
  EXPECT_EQ(container.CountOf("Click"), 1);
  EXPECT_EQ(container.changes.back(), "Value");
}

TEST_F(ReadPropertiesTest, DecodeTransferReportsAParseFailureAsAnEvent) {
  EXPECT_NO_THROW(control.DecodeTransfer("no scans here"));
  EXPECT_EQ(container.ErrorNumbers(), std::vector<int32_t>{ComportReadError});
}

}  // namespace
}  // namespace travimo::testing
