#include <functional>
#include <string>

#include "control_fixture.h"

namespace travimo::testing {
namespace {

using PassThroughTest = ControlTest;

TEST_F(PassThroughTest, EachLetReachesItsComponentAndRecordsItsOwnName) {
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
  const CommandButton& button = control.cmdReadData();
  EXPECT_FALSE(button.Enabled());
  EXPECT_EQ(button.Font(), font);
  EXPECT_EQ(button.MouseIcon(), picture);
  EXPECT_EQ(button.MousePointer(), 11);
  EXPECT_EQ(button.Picture(), picture);
  EXPECT_EQ(button.DisabledPicture(), picture);
  EXPECT_EQ(button.DownPicture(), picture);
  EXPECT_EQ(button.Caption(), "Go");
  EXPECT_EQ(button.BackColor(), Rgb(255, 0, 0));
  EXPECT_EQ(control.MSComm1().CommPort(), 4);
  EXPECT_EQ(control.MSComm1().Settings(), "1200,e,7,2");
  EXPECT_EQ(control.FlashColor(), Rgb(0, 0, 255));
  EXPECT_TRUE(control.SaveRawData());
  EXPECT_EQ(control.Temp_Units(), 12);
  EXPECT_EQ(control.LorvexData(), record);
}

TEST_F(PassThroughTest, SixteenBitPropertiesRefuseWiderValuesAndWidenWithTheirSign) {
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

}  // namespace
}  // namespace travimo::testing
