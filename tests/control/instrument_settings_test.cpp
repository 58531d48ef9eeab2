#include "control_fixture.h"

namespace travimo::testing {
namespace {

using InstrumentSettingsTest = ControlTest;

TEST_F(InstrumentSettingsTest, OtherInstrumentDropsLorvexOnlySettingsAndConfiguresThePort) {
  control.ScanDataType(Burst);
  control.ContPower(true);
  for (const int32_t type : {int32_t{Ostrel}, 7}) {  // any type but Lorvex counts as another
    control.TravimoType(type);
    EXPECT_EQ(control.TravimoType(), type);
    EXPECT_EQ(control.ScanDataType(), Moisture);
    EXPECT_EQ(control.NumberOfPoints(), NoLimit);
    EXPECT_EQ(control.State().pointLimit, NoLimit);
    EXPECT_FALSE(control.ContPower());
    EXPECT_EQ(control.MSComm1().Handshaking(), 3);
    EXPECT_FALSE(control.MSComm1().DTREnable());
    EXPECT_FALSE(control.MSComm1().EOFEnable());
    control.BlueLineTrigger(BlueLineOn);
    EXPECT_EQ(control.BlueLineTrigger(), BlueLineOff);
  }
  State().numberOfPoints = 3;  // an Ostrel or Brevane parse's last index; the limit stays
  control.TravimoType(Lorvex);
  EXPECT_EQ(control.NumberOfPoints(), Max512);
  EXPECT_EQ(control.State().pointLimit, Max512);
  EXPECT_EQ(control.BlueLineTrigger(), BlueLineAuto);
  EXPECT_EQ(control.MSComm1().Handshaking(), 0);
  EXPECT_TRUE(control.MSComm1().DTREnable());
  EXPECT_TRUE(control.MSComm1().EOFEnable());
  EXPECT_FALSE(control.ContPower());
  EXPECT_TRUE(host.MessageBoxes().empty());
  control.BlueLineTrigger(5);  // unchecked for a Lorvex
  EXPECT_EQ(control.BlueLineTrigger(), 5);
}

TEST_F(InstrumentSettingsTest, LorvexAgainKeepsItsChoicesAndReplacesTheHostsSerialValues) {
  control.NumberOfPoints(Max256);
  control.BlueLineTrigger(BlueLineOn);
  control.Handshaking(2);
  control.RThreshold(5);
  control.InBufferSize(100);
  control.RTSEnable(true);
  control.TravimoType(Lorvex);
  EXPECT_EQ(control.NumberOfPoints(), Max256);
  EXPECT_EQ(control.BlueLineTrigger(), BlueLineOn);
  EXPECT_EQ(control.Handshaking(), 0);
  EXPECT_EQ(control.RThreshold(), 100);
  EXPECT_EQ(control.InBufferSize(), 9096);
  EXPECT_FALSE(control.RTSEnable());
  EXPECT_EQ(control.MSComm1().OutBufferSize(), 512);
  EXPECT_EQ(control.MSComm1().ParityReplace(), "?");
}

TEST_F(InstrumentSettingsTest, KeepAliveRunsForALorvexOnlyAndSendsWEveryThirtySeconds) {
  control.TravimoType(Brevane);
  control.ContPower(true);
  EXPECT_FALSE(control.ContPower());
  EXPECT_FALSE(control.Timer1().Enabled());
  control.TravimoType(Lorvex);
  control.ContPower(true);
  host.RunFor(29.9);
  EXPECT_EQ(serial.Written(), "");
  host.RunFor(0.2);
  EXPECT_EQ(serial.Written(), "W");
  host.RunFor(60.0);
  EXPECT_EQ(serial.Written(), "WWW");
  EXPECT_EQ(serial.OpenCount(), 3);
  EXPECT_FALSE(control.MSComm1().PortOpen());
  control.ContPower(false);
  host.RunFor(60.0);
  EXPECT_EQ(serial.Written(), "WWW");
}

TEST_F(InstrumentSettingsTest, KeepAliveSurvivesAPortThatWillNotOpenOrWrite) {
  serial.FailOpen(true);
  control.ContPower(true);
  EXPECT_NO_THROW(host.RunFor(61.0));
  EXPECT_EQ(serial.Written(), "");
  EXPECT_TRUE(control.ContPower());
  serial.FailOpen(false);
  host.RunFor(30.0);
  EXPECT_EQ(serial.Written(), "W");

  serial.HangUpAfterOpen(0.0);
  EXPECT_NO_THROW(host.RunFor(30.0));
  EXPECT_FALSE(control.MSComm1().PortOpen());
}

}  // namespace
}  // namespace travimo::testing
