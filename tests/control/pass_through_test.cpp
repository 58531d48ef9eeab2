#include <functional>
#include <string>

#include "control_fixture.h"

namespace travimo::testing {
namespace {

using PassThroughTest = ControlTest;

TEST_F(PassThroughTest, EachLetReachesItsComponentAndRecordsItsOwnNameWithinItsRange) {
  auto font = std::make_shared<StdFont>();
  auto picture = std::make_shared<StdPicture>(StdPicture{"face.bmp"});
  auto record = std::make_shared<CLorvexCls>();
  const std::vector<std::pair<std::string, std::function<void(Travimo&)>>> lets = {
      {"Enabled", [](Travimo& c) { c.Enabled(false); }},
      {"Font", [&](Travimo& c) { c.Font(font); }},
      {"MouseIcon", [&](Travimo& c) { c.MouseIcon(picture); }},
      {"MousePointer", [](Travimo& c) { c.MousePointer(11); }},
      {"Picture", [&](Travimo& c) { c.Picture(picture); }},
      {"DisabledPicture", [&](Travimo& c) { c.DisabledPicture(picture); }},
      {"DownPicture", [&](Travimo& c) { c.DownPicture(picture); }},
      {"Caption", [](Travimo& c) { c.Caption("Go"); }},
      {"Handshaking", [](Travimo& c) { c.Handshaking(2); }},
      {"CommPort", [](Travimo& c) { c.CommPort(4); }},
      {"Settings", [](Travimo& c) { c.Settings("1200,e,7,2"); }},
      {"RTSEnable", [](Travimo& c) { c.RTSEnable(true); }},
      {"InBufferSize", [](Travimo& c) { c.InBufferSize(2048); }},
      {"RThreshold", [](Travimo& c) { c.RThreshold(7); }},
      {"InBufferCount", [](Travimo& c) { c.InBufferCount(0); }},
      {"BackColor", [](Travimo& c) { c.BackColor(Rgb(255, 0, 0)); }},
      {"FlashColor", [](Travimo& c) { c.FlashColor(Rgb(0, 0, 255)); }},
      {"SaveRawData", [](Travimo& c) { c.SaveRawData(true); }},
      {"OutPutFileName", [](Travimo& c) { c.OutPutFileName(""); }},
      {"CancelTransfer", [](Travimo& c) { c.CancelTransfer(true); }},
      {"Temp_Units", [](Travimo& c) { c.Temp_Units(12); }},
      {"LorvexData", [&](Travimo& c) { c.LorvexData(record); }},
      // These record their name even when the instrument drops the value.
      {"ContPower", [](Travimo& c) { c.ContPower(true); }},
      {"BlueLineTrigger", [](Travimo& c) { c.BlueLineTrigger(BlueLineOn); }},
  };
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
  EXPECT_EQ(std::tuple(control.MSComm1().CommPort(), control.MSComm1().Settings(),
                       control.FlashColor(), control.SaveRawData(), control.Temp_Units(),
                       control.LorvexData()),
            std::tuple(4, "1200,e,7,2", Rgb(0, 0, 255), true, 12, record));

  // Sixteen-bit properties refuse wider values and widen with their sign.
  container.changes.clear();
  const int16_t before = control.MSComm1().InBufferSize();
  EXPECT_EQ(ErrorOf([&] { control.InBufferSize(40000); }), ErrorNumber::Overflow);
  EXPECT_EQ(control.MSComm1().InBufferSize(), before);
  EXPECT_EQ(ErrorOf([&] { control.RThreshold(-32769); }), ErrorNumber::Overflow);
  EXPECT_EQ(ErrorOf([&] { control.InBufferCount(32768); }), ErrorNumber::Overflow);
  EXPECT_TRUE(container.changes.empty());
  control.InBufferSize(32767);
  EXPECT_EQ(control.InBufferSize(), 32767);
  control.RThreshold(-32768);
  EXPECT_EQ(control.RThreshold(), -32768);
}

struct Refusal {
  std::string name;
  std::function<void(Travimo&)> attempt;
  int32_t atDesignTime;
  int32_t atRunTime;
};

class RefusalTest : public ControlTest, public ::testing::WithParamInterface<bool> {};

TEST_P(RefusalTest, HostCannotSetWhatOnlyTheControlWrites) {
  container.userMode = GetParam();
  LoadOstrel({Ramp(1, 3, 1.0f)});
  const auto ostrel = control.OstrelData();
  const auto brevane = control.BrevaneData();
  const std::vector<Refusal> table = {
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
  for (const auto& row : table) {
    EXPECT_EQ(ErrorOf([&] { row.attempt(control); }), GetParam() ? row.atRunTime : row.atDesignTime)
        << row.name;
  }
  EXPECT_EQ(std::tuple(control.NumberOfScans(), control.ArrayStart(),
                       control.State().currentScanDataType, control.State().stringScanData,
                       control.OstrelData(), control.BrevaneData()),
            std::tuple(1, 1, "A", "\"", ostrel, brevane));
  EXPECT_TRUE(container.changes.empty());
}

INSTANTIATE_TEST_SUITE_P(DesignAndRunTime, RefusalTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "RunTime" : "DesignTime"; });

}  // namespace
}  // namespace travimo::testing
