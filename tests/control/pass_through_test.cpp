#include <functional>
#include <string>

#include "control_fixture.h"

namespace travimo::testing {
namespace {

struct PassThrough {
  std::string name;
  std::function<void(Travimo&)> let;
  std::function<bool(Travimo&)> arrived;
};

class PassThroughTest : public ControlTest {};

TEST_F(PassThroughTest, EachLetStoresItsValueAndRecordsItsOwnName) {
  auto font = std::make_shared<StdFont>();
  font->name = "Arial";
  auto picture = std::make_shared<StdPicture>(StdPicture{"face.bmp"});
  auto record = std::make_shared<CLorvexCls>();
  const std::vector<PassThrough> table = {
      {"Enabled", [](Travimo& c) { c.Enabled(false); },
       [](Travimo& c) { return !c.cmdReadData().Enabled() && !c.Enabled(); }},
      {"Font", [&](Travimo& c) { c.Font(font); },
       [&](Travimo& c) { return c.cmdReadData().Font() == font && c.Font() == font; }},
      {"MouseIcon", [&](Travimo& c) { c.MouseIcon(picture); },
       [&](Travimo& c) { return c.cmdReadData().MouseIcon() == picture; }},
      {"MousePointer", [](Travimo& c) { c.MousePointer(11); },
       [](Travimo& c) { return c.cmdReadData().MousePointer() == 11 && c.MousePointer() == 11; }},
      {"Picture", [&](Travimo& c) { c.Picture(picture); },
       [&](Travimo& c) { return c.cmdReadData().Picture() == picture; }},
      {"DisabledPicture", [&](Travimo& c) { c.DisabledPicture(picture); },
       [&](Travimo& c) { return c.cmdReadData().DisabledPicture() == picture; }},
      {"DownPicture", [&](Travimo& c) { c.DownPicture(picture); },
       [&](Travimo& c) { return c.cmdReadData().DownPicture() == picture; }},
      {"Caption", [](Travimo& c) { c.Caption("Go"); },
       [](Travimo& c) { return c.cmdReadData().Caption() == "Go" && c.Caption() == "Go"; }},
      {"Handshaking", [](Travimo& c) { c.Handshaking(2); },
       [](Travimo& c) { return c.MSComm1().Handshaking() == 2 && c.Handshaking() == 2; }},
      {"CommPort", [](Travimo& c) { c.CommPort(4); },
       [](Travimo& c) { return c.MSComm1().CommPort() == 4 && c.CommPort() == 4; }},
      {"Settings", [](Travimo& c) { c.Settings("1200,e,7,2"); },
       [](Travimo& c) { return c.MSComm1().Settings() == "1200,e,7,2"; }},
      {"RTSEnable", [](Travimo& c) { c.RTSEnable(true); },
       [](Travimo& c) { return c.MSComm1().RTSEnable() && c.RTSEnable(); }},
      {"InBufferSize", [](Travimo& c) { c.InBufferSize(2048); },
       [](Travimo& c) { return c.MSComm1().InBufferSize() == 2048; }},
      {"RThreshold", [](Travimo& c) { c.RThreshold(7); },
       [](Travimo& c) { return c.MSComm1().RThreshold() == 7; }},
      {"InBufferCount", [](Travimo& c) { c.InBufferCount(0); },
       [](Travimo& c) { return c.InBufferCount() == 0; }},
      {"BackColor", [](Travimo& c) { c.BackColor(Rgb(255, 0, 0)); },
       [](Travimo& c) { return c.cmdReadData().BackColor() == Rgb(255, 0, 0); }},
      {"FlashColor", [](Travimo& c) { c.FlashColor(Rgb(0, 0, 255)); },
       [](Travimo& c) { return c.FlashColor() == Rgb(0, 0, 255); }},
      {"SaveRawData", [](Travimo& c) { c.SaveRawData(true); },
       [](Travimo& c) { return c.SaveRawData(); }},
      {"CancelTransfer", [](Travimo& c) { c.CancelTransfer(true); },
       [&](Travimo& c) {
         container.userMode = false;  // readable at design time only
         const bool stored = c.CancelTransfer();
         container.userMode = true;
         return stored;
       }},
      {"Temp_Units", [](Travimo& c) { c.Temp_Units(12); },
       [](Travimo& c) { return c.Temp_Units() == 12; }},
      {"LorvexData", [&](Travimo& c) { c.LorvexData(record); },
       [&](Travimo& c) { return c.LorvexData() == record; }},
  };
  for (const auto& row : table) {
    container.changes.clear();
    row.let(control);
    EXPECT_TRUE(row.arrived(control)) << row.name;
    EXPECT_EQ(container.changes, std::vector<std::string>{row.name}) << row.name;
  }
}

TEST_F(PassThroughTest, SixteenBitPropertiesRefuseWiderValuesAndKeepTheComponentUnchanged) {
  const int16_t before = control.MSComm1().InBufferSize();
  EXPECT_EQ(ErrorOf([&] { control.InBufferSize(40000); }), ErrorNumber::Overflow);
  EXPECT_EQ(control.MSComm1().InBufferSize(), before);
  EXPECT_EQ(ErrorOf([&] { control.RThreshold(-32769); }), ErrorNumber::Overflow);
  EXPECT_EQ(ErrorOf([&] { control.InBufferCount(32768); }), ErrorNumber::Overflow);
  EXPECT_TRUE(container.changes.empty());

  control.InBufferSize(32767);
  EXPECT_EQ(control.InBufferSize(), 32767);
}

TEST_F(PassThroughTest, SixteenBitGetWidensWithItsSign) {
  control.RThreshold(-32768);
  EXPECT_EQ(control.RThreshold(), -32768);
}

TEST_F(PassThroughTest, ButtonStartsGraphicalWithTheContainersFontAndItsOwnCaption) {
  EXPECT_EQ(control.Style(), 1);
  EXPECT_EQ(control.Font(), container.ambientFont);
  EXPECT_EQ(control.Caption(), "Travimo");
}

}  // namespace
}  // namespace travimo::testing
