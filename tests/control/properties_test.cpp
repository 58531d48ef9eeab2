#include <functional>
#include <string>

#include "control_fixture.h"
#include "rawdata/decode_settings.h"

namespace travimo::testing {
namespace {

using PassThroughTest = ControlTest;

TEST_F(PassThroughTest, EachLetReachesItsComponentAndRecordsItsOwnNameWithinItsRange) {
  auto font = std::make_shared<StdFont>();
  auto picture = std::make_shared<StdPicture>(StdPicture{"face.bmp"});
  auto record = std::make_shared<CLorvexCls>();
  // Each let, named as the change it records.
#define LET(name, value) {#name, [&](Travimo& c) { c.name(value); }}
  const std::vector<std::pair<std::string, std::function<void(Travimo&)>>> lets = {
      LET(Enabled, false), LET(Font, font), LET(MouseIcon, picture), LET(MousePointer, 11),
      LET(Picture, picture), LET(DisabledPicture, picture), LET(DownPicture, picture),
      LET(Caption, "Go"), LET(Handshaking, 2), LET(CommPort, 4), LET(Settings, "1200,e,7,2"),
      LET(RTSEnable, true), LET(InBufferSize, 2048), LET(RThreshold, 7), LET(InBufferCount, 0),
      LET(BackColor, Rgb(255, 0, 0)), LET(FlashColor, Rgb(0, 0, 255)), LET(SaveRawData, true),
      LET(OutPutFileName, ""), LET(CancelTransfer, true), LET(Temp_Units, 12),
      LET(LorvexData, record),
      // These record their name even when the instrument drops the value.
      LET(ContPower, true), LET(BlueLineTrigger, BlueLineOn)};
#undef LET
  for (const auto& [name, let] : lets) {
    container.changes.clear();
    let(control);
    EXPECT_EQ(container.changes, std::vector<std::string>{name}) << name;
  }
  control.TravimoType(Ostrel);  // its own name last, after the settings it drops
  EXPECT_EQ(container.changes.back(), "TravimoType");
  const CommandButton& b = control.cmdReadData();
  EXPECT_EQ(std::tuple(b.Enabled(), b.Font(), b.MouseIcon(), b.MousePointer(), b.Picture(),
                       b.DisabledPicture(), b.DownPicture(), b.Caption(), b.BackColor()),
            std::tuple(false, font, picture, 11, picture, picture, picture, "Go", Rgb(255, 0, 0)));
  // The control's getters read the same components; a closed port holds nothing.
  EXPECT_EQ(std::tuple(control.Enabled(), control.MousePointer(), control.Style(), control.hWnd(),
                       control.InBufferCount()),
            std::tuple(false, 11, 1, b.hWnd(), 0));
  EXPECT_EQ(std::tuple(control.MSComm1().CommPort(), control.MSComm1().Settings(),
                       control.FlashColor(), control.SaveRawData(), control.Temp_Units(),
                       control.LorvexData()),
            std::tuple(4, "1200,e,7,2", Rgb(0, 0, 255), true, 12, record));

  // Sixteen-bit properties refuse wider values (travimo-gui's test sees the
  // old value kept) and widen with their sign.
  container.changes.clear();
  EXPECT_EQ(ErrorOf([&] { control.InBufferSize(40000); }), ErrorNumber::Overflow);
  EXPECT_EQ(ErrorOf([&] { control.RThreshold(-32769); }), ErrorNumber::Overflow);
  EXPECT_EQ(ErrorOf([&] { control.InBufferCount(32768); }), ErrorNumber::Overflow);
  EXPECT_TRUE(container.changes.empty());
  control.InBufferSize(32767);
  control.RThreshold(-32768);
  EXPECT_EQ(std::pair(control.InBufferSize(), control.RThreshold()), std::pair(32767, -32768));
}

class RefusalTest : public ControlTest, public ::testing::WithParamInterface<bool> {};

TEST_P(RefusalTest, HostCannotSetWhatOnlyTheControlWrites) {
  container.userMode = GetParam();
  LoadOstrel({Ramp(1, 3, 1.0f)});
  const auto ostrel = control.OstrelData();
  const auto brevane = control.BrevaneData();
  // Each attempt, by name, and its error at design time and at run time.
  const std::tuple<std::string, std::function<void(Travimo&)>, int32_t, int32_t> table[] = {
      {"NumberOfScans", [](Travimo& c) { c.NumberOfScans(9); }, 382, 393},
      {"ArrayStart", [](Travimo& c) { c.ArrayStart(0); }, 382, 393},
      {"CurrentScanDataType", [](Travimo& c) { c.CurrentScanDataType("Z"); }, 382, 393},
      {"StringScanData", [](Travimo& c) { c.StringScanData("abcd"); }, 387, 382},
      {"OstrelData", [](Travimo& c) { c.OstrelData(std::make_shared<COstrelCls>()); }, 383, 382},
      {"BrevaneData", [](Travimo& c) { c.BrevaneData(std::make_shared<CBrevaneCls>()); }, 383, 382},
  };
  control.CancelTransfer(true);  // readable at design time only
  EXPECT_EQ(ErrorOf([&] { EXPECT_TRUE(control.CancelTransfer()); }),
            GetParam() ? ErrorNumber::GetNotAtRunTime : 0);
  container.changes.clear();
  for (const auto& [name, attempt, atDesignTime, atRunTime] : table) {
    EXPECT_EQ(ErrorOf([&] { attempt(control); }), GetParam() ? atRunTime : atDesignTime) << name;
  }
  EXPECT_EQ(std::tuple(control.NumberOfScans(), control.ArrayStart(),
                       control.State().currentScanDataType, control.State().stringScanData,
                       control.OstrelData(), control.BrevaneData()),
            std::tuple(1, 1, "A", "\"", ostrel, brevane));
  EXPECT_TRUE(container.changes.empty());
}

INSTANTIATE_TEST_SUITE_P(DesignAndRunTime, RefusalTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "RunTime" : "DesignTime"; });

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
  control.ScanDataType(Burst);
  control.ScanDataType(Temperature);
  EXPECT_EQ(std::tuple(control.BlueLineTrigger(), control.ScanDataType()),
            std::tuple(5, Temperature));

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
  const auto writtenAfter = [&](double seconds) {
    host.RunFor(seconds);
    return serial.Written();
  };
  control.TravimoType(Brevane);
  control.ContPower(true);
  EXPECT_EQ(std::pair(control.ContPower(), control.Timer1().Enabled()), std::pair(false, false));
  control.TravimoType(Lorvex);
  control.ContPower(true);
  EXPECT_EQ(writtenAfter(29.9), "");
  EXPECT_EQ(writtenAfter(0.2), "W");
  EXPECT_EQ(writtenAfter(60.0), "WWW");
  EXPECT_EQ(std::pair(serial.OpenCount(), control.MSComm1().PortOpen()), std::pair(3, false));

  serial.FailOpen(true);
  EXPECT_EQ(writtenAfter(61.0), "WWW");
  EXPECT_TRUE(control.ContPower());
  serial.FailOpen(false);
  EXPECT_EQ(writtenAfter(30.0), "WWWW");
  serial.HangUpAfterOpen(0.0);
  writtenAfter(30.0);
  EXPECT_FALSE(control.MSComm1().PortOpen());

  control.ContPower(false);
  const std::string written = serial.Written();
  EXPECT_EQ(writtenAfter(60.0), written);
}

// A read's settings come back over another instrument's: the type goes first,
// as its let resets the others.
TEST_F(InstrumentSettingsTest, DecodeSettingsComeBackOverAnotherInstrumentsSettings) {
  const DecodeSettings reads[] = {{Lorvex, Burst, 1, Max256, BlueLineOn},
                                  {Ostrel, Temperature, 1, NoLimit, BlueLineOff}};
  for (const DecodeSettings& settings : reads) {
    ApplyDecodeSettings(control, {settings.travimoType == Lorvex ? Ostrel : Lorvex});
    ApplyDecodeSettings(control, settings);
    EXPECT_EQ(DecodeSettingsOf(control), settings);
  }
}

}  // namespace
}  // namespace travimo::testing
