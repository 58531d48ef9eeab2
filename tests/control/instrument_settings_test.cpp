#include "control_fixture.h"

namespace travimo::testing {
namespace {

class InstrumentSettingsTest : public ControlTest {
 protected:
  // What the type decides: data type, point limit, keep-alive, blue line and the port's lines.
  auto Settings() {
    const MSComm& comm = control.MSComm1();
    return std::tuple(control.TravimoType(), control.ScanDataType(), control.NumberOfPoints(),
                      control.State().pointLimit, control.ContPower(), control.BlueLineTrigger(),
                      comm.Handshaking(), comm.DTREnable(), comm.EOFEnable());
  }
};

// Another instrument drops the Lorvex-only settings; a Lorvex again restores
// them, and one set again keeps its choices but not the host's serial values.
TEST_F(InstrumentSettingsTest, TheTypeDecidesTheSettingsAndThePort) {
  control.ScanDataType(Burst);
  control.ContPower(true);
  for (const int32_t type : {int32_t{Ostrel}, 7}) {  // any type but Lorvex counts as another
    control.TravimoType(type);
    control.BlueLineTrigger(BlueLineOn);
    EXPECT_EQ(Settings(),
              std::tuple(type, Moisture, NoLimit, NoLimit, false, BlueLineOff, 3, false, false));
    control.ScanDataType(Burst);  // held once
    EXPECT_EQ(control.ScanDataType(), Burst);
    control.ScanDataType(Temperature);
    EXPECT_EQ(control.ScanDataType(), Moisture);
  }
  State().numberOfPoints = 3;  // an Ostrel or Brevane parse's last index; the limit stays
  control.TravimoType(Lorvex);
  EXPECT_EQ(Settings(),
            std::tuple(Lorvex, Moisture, Max512, Max512, false, BlueLineAuto, 0, true, true));
  EXPECT_TRUE(host.MessageBoxes().empty());
  control.BlueLineTrigger(5);  // unchecked for a Lorvex
  EXPECT_EQ(control.BlueLineTrigger(), 5);
  control.ScanDataType(Burst);
  control.ScanDataType(Temperature);
  EXPECT_EQ(control.ScanDataType(), Temperature);

  control.NumberOfPoints(Max256);
  control.BlueLineTrigger(BlueLineOn);
  control.Handshaking(2);
  control.RThreshold(5);
  control.InBufferSize(100);
  control.RTSEnable(true);
  control.TravimoType(Lorvex);
  EXPECT_EQ(std::tuple(control.NumberOfPoints(), control.BlueLineTrigger(), control.Handshaking(),
                       control.RThreshold(), control.InBufferSize(), control.RTSEnable(),
                       control.MSComm1().OutBufferSize(), control.MSComm1().ParityReplace()),
            std::tuple(Max256, BlueLineOn, 0, 100, 9096, false, 512, "?"));
}

// A keep-alive "W" every thirty seconds, for a Lorvex only, through a port
// that may fail to open or hang up without stopping it.
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

  serial.FailOpen(true);
  EXPECT_NO_THROW(host.RunFor(61.0));
  EXPECT_EQ(serial.Written(), "WWW");
  EXPECT_TRUE(control.ContPower());
  serial.FailOpen(false);
  host.RunFor(30.0);
  EXPECT_EQ(serial.Written(), "WWWW");
  serial.HangUpAfterOpen(0.0);
  EXPECT_NO_THROW(host.RunFor(30.0));
  EXPECT_FALSE(control.MSComm1().PortOpen());

  control.ContPower(false);
  const std::string written = serial.Written();
  host.RunFor(60.0);
  EXPECT_EQ(serial.Written(), written);
}

}  // namespace
}  // namespace travimo::testing
