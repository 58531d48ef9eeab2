#include "control_fixture.h"

namespace travimo::testing {
namespace {

class ReadPropertiesTest : public ControlTest {};

TEST_F(ReadPropertiesTest, OutPutFileNameFallsBackToTheDefaultWhenEmpty) {
  EXPECT_EQ(control.OutPutFileName(), "RawData.dat");
  control.OutPutFileName("");
  EXPECT_EQ(container.changes.back(), "OutPutFileName");
  EXPECT_EQ(control.OutPutFileName(), "RawData.dat");
  control.OutPutFileName("scan.bin");
  EXPECT_EQ(control.OutPutFileName(), "scan.bin");
}

TEST_F(ReadPropertiesTest, BKWaitYieldsForTheGivenSeconds) {
  int32_t seconds = 2;
  control.BKWait(seconds);
  EXPECT_GE(host.MonotonicSeconds(), 2.0);
  EXPECT_LT(host.MonotonicSeconds(), 2.1);
  EXPECT_EQ(seconds, 2);
}

TEST_F(ReadPropertiesTest, ReadTravimoRunsTheCycleWithoutCaptionHandlingOrClick) {
  control.Caption("Go");
  control.ReadTravimo();
  EXPECT_EQ(control.Caption(), "Reading");
  EXPECT_EQ(serial.Written(), std::string("D\0", 2));
  EXPECT_EQ(container.CountOf("Click"), 0);
  EXPECT_EQ(container.ErrorNumbers(), std::vector<int32_t>{ComportReadError});
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
