#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "control_fixture.h"
#include <travimo/platform/posix/json_property_bag.h>
#include "sim/lorvex_encoder.h"
#include "support/memory_property_bag.h"
#include "support/sample_records.h"

namespace travimo::testing {
namespace {

constexpr Colour kRed = Rgb(255, 0, 0);

// clang-format off
PropertyValue Long(int32_t v) { return v; }
PropertyValue Integer(int16_t v) { return v; }
PropertyValue Text(const char* s) { return std::string(s); }
const PropertyValue kNone = std::monostate{};

// The default each saved key is read and written with; none for the objects
// (the font's is the ambient font).
PropertyValue DefaultOf(const std::string& key) {
  static const std::map<std::string, PropertyValue> defaults = {
      {"BackColor", static_cast<int32_t>(kButtonFace)},
      {"FlashColor", static_cast<int32_t>(kDefaultFlashColour)},
      {"ScanDataType", Long(0)}, {"ScanNumber", Long(1)}, {"NumberOfPoints", Long(512)},
      {"CommPort", Integer(1)}, {"Handshaking", Long(0)}, {"InBufferCount", Integer(0)},
      {"InBufferSize", Integer(9096)}, {"RThreshold", Integer(0)}, {"RTSEnable", false},
      {"Settings", Text("9600,n,8,1")}, {"DTREnable", true}, {"Caption", Text("Travimo")},
      {"Enabled", true}, {"Value", false}, {"MousePointer", Integer(0)},
      {"NumberOfScans", Long(0)}, {"ArrayStart", Long(1)}, {"Temp_Units", Long(0)},
      {"ContPower", false}, {"TravimoType", Long(1)}, {"CancelTransfer", false},
      {"BlueLineTrigger", Long(2)}, {"CurrentScanDataType", Text("A")},
      {"StringScanData", Text("\"")}, {"OutPutFileName", Text("RawData.dat")},
      {"SaveRawData", false}};
  const auto found = defaults.find(key);
  return found == defaults.end() ? kNone : found->second;
}
// clang-format on

constexpr const char* kLoadOrder =
    "BackColor ScanDataType ScanNumber NumberOfPoints CommPort Handshaking InBufferCount "
    "InBufferSize RThreshold RTSEnable Settings DTREnable Caption Enabled Value MousePointer "
    "Caption Font MouseIcon Picture DisabledPicture DownPicture OstrelData BrevaneData LorvexData "
    "NumberOfScans ArrayStart Temp_Units ContPower TravimoType CancelTransfer BlueLineTrigger "
    "CurrentScanDataType StringScanData BackColor FlashColor OutPutFileName SaveRawData";
constexpr const char* kSaveOrder =
    "ScanDataType ScanNumber NumberOfPoints BackColor DisabledPicture DownPicture Caption Value "
    "MousePointer Enabled DTREnable Handshaking CommPort InBufferCount InBufferSize RThreshold "
    "RTSEnable Settings Font MouseIcon Picture NumberOfScans ArrayStart Temp_Units ContPower "
    "TravimoType CancelTransfer BlueLineTrigger CurrentScanDataType StringScanData OstrelData "
    "BrevaneData LorvexData BackColor FlashColor OutPutFileName SaveRawData";

void ExpectKeysAndDefaults(const std::vector<BagAccess>& accesses, const std::string& order,
                           const PropertyValue& font) {
  std::istringstream keys(order);
  size_t i = 0;
  for (std::string key; keys >> key; ++i) {
    SCOPED_TRACE("entry " + std::to_string(i + 1) + " " + key);
    ASSERT_LT(i, accesses.size());
    EXPECT_EQ(accesses[i].key, key);
    EXPECT_TRUE(SameValue(accesses[i].defaultValue, key == "Font" ? font : DefaultOf(key)));
  }
  EXPECT_EQ(accesses.size(), i);
}

using PersistenceTest = ControlTest;

TEST_F(PersistenceTest, SaveAndLoadUseEveryKeyInOrderWithItsDefault) {
  MemoryPropertyBag loaded, saved;
  control.ReadProperties(loaded);
  control.InitProperties();
  control.WriteProperties(saved);
  ExpectKeysAndDefaults(loaded.reads, kLoadOrder, container.ambientFont);
  ExpectKeysAndDefaults(saved.writes, kSaveOrder, container.ambientFont);
}

// Placed afresh or loaded from an empty bag, a control holds the defaults:
// saved at once, it stores only the threshold its type sets, and it reads a
// Lorvex without its points ever being set.
class FreshControlTest : public PersistenceTest, public ::testing::WithParamInterface<bool> {};

TEST_P(FreshControlTest, HoldsTheDefaults) {
  MemoryPropertyBag empty, bag;
  if (GetParam()) {
    control.ReadProperties(empty);
  } else {
    control.InitProperties();
    EXPECT_TRUE(State().scanTypeLetters.Discarded());
  }
  EXPECT_EQ(State().pointLimit, 512);
  EXPECT_EQ(control.SurfaceBackColor(), kButtonFace);
  control.WriteProperties(bag);
  EXPECT_EQ(bag.StoredKeys(), std::vector<std::string>{"RThreshold"});
  EXPECT_TRUE(SameValue(bag.Get("RThreshold"), Integer(100)));
  serial.SendAfterOpen(0.1, sim::EncodeLorvexTransfer({{'A', {100, 200, 300}}}));
  control.ReadTravimo();
  EXPECT_TRUE(container.ErrorNumbers().empty());
  EXPECT_EQ(control.NumberOfScans(), 1);
  EXPECT_FALSE(container.Changed("NumberOfPoints"));
}

INSTANTIATE_TEST_SUITE_P(InitialisedOrLoadedEmpty, FreshControlTest, ::testing::Bool());

// Loading and saving refresh the point limit.
TEST_F(PersistenceTest, TheTypeIsAppliedAfterTheSerialKeysAndBeforeTheBlueLine) {
  for (const int32_t type : {Lorvex, Brevane, Ostrel}) {
    SCOPED_TRACE(type);
    MemoryPropertyBag bag;
    bag.Set("Handshaking", Long(2));
    bag.Set("RTSEnable", true);
    bag.Set("ContPower", true);
    bag.Set("TravimoType", Long(type));
    bag.Set("BlueLineTrigger", Long(BlueLineOn));
    bag.Set("NumberOfPoints", Long(256));
    control.ReadProperties(bag);
    EXPECT_EQ(control.Handshaking(), type == Lorvex ? 0 : 3);
    EXPECT_FALSE(control.RTSEnable());
    EXPECT_EQ(control.Timer1().Enabled(), type == Lorvex);
    EXPECT_EQ(control.BlueLineTrigger(), BlueLineOn);  // stored without the type's check
    EXPECT_EQ(control.NumberOfPoints(), type == Lorvex ? 256 : NoLimit);
    EXPECT_EQ(State().pointLimit, control.NumberOfPoints());
    State().pointLimit = 7;
    control.WriteProperties(bag);
    EXPECT_EQ(State().pointLimit, control.NumberOfPoints());
  }
}

// Every saved property away from its default comes back; the button's
// colour is saved twice and restored to the surface and the button.
TEST_F(PersistenceTest, EveryKeyRoundTripsThroughAPropertyFile) {
  control.InitProperties();
  State().scanDataType = Temperature;
  State().scanNumber = 3;
  State().numberOfPoints = 256;
  control.BackColor(kRed);
  control.DisabledPicture(std::make_shared<StdPicture>(StdPicture{"off.bmp"}));
  control.DownPicture(std::make_shared<StdPicture>(StdPicture{"down.bmp"}));
  control.Caption("Go");
  control.MousePointer(11);
  control.Enabled(false);
  control.CommPort(4);
  control.Settings("19200,e,7,2");
  auto font = std::make_shared<StdFont>();
  font->name = "Arial";
  font->bold = true;
  font->size = 12;
  control.Font(font);
  control.MouseIcon(std::make_shared<StdPicture>(StdPicture{"hand.ico"}));
  control.Picture(std::make_shared<StdPicture>(StdPicture{"face.bmp"}));
  State().numberOfScans = 5;
  State().arrayStart = 0;
  State().tempUnits = Fahrenheit;
  control.ContPower(true);
  control.CancelTransfer(true);
  control.BlueLineTrigger(BlueLineOn);
  State().currentScanDataType = "T";
  State().stringScanData = "1.5,2";
  State().ostrelData = std::make_shared<COstrelCls>(Filled<COstrelCls>());
  State().brevaneData = std::make_shared<CBrevaneCls>(Filled<CBrevaneCls>());
  State().lorvexData = std::make_shared<CLorvexCls>(Filled<CLorvexCls>());
  control.FlashColor(Rgb(0, 0, 255));
  control.OutPutFileName("scan.raw");
  control.SaveRawData(true);
  const auto path = std::filesystem::temp_directory_path() /
                    ("travimo-persistence-" + std::to_string(::getpid()) + ".json");
  JsonPropertyBag first;
  control.WriteProperties(first);
  first.Save(path);

  Travimo restored(ControlSite{container, host, files, serial});
  JsonPropertyBag loaded = JsonPropertyBag::Load(path);
  ASSERT_TRUE(loaded.Existed());
  restored.ReadProperties(loaded);
  JsonPropertyBag second;
  restored.WriteProperties(second);
  std::filesystem::remove(path);

  EXPECT_EQ(second.ToText(), first.ToText());
  ASSERT_TRUE(restored.OstrelData() && restored.BrevaneData() && restored.LorvexData());
  EXPECT_EQ(*restored.OstrelData(), *control.OstrelData());
  EXPECT_EQ(*restored.BrevaneData(), *control.BrevaneData());
  EXPECT_EQ(*restored.LorvexData(), *control.LorvexData());
  // Each of the two saved colours is loaded into its own place.
  EXPECT_EQ(std::pair(restored.SurfaceBackColor(), restored.BackColor()), std::pair(kRed, kRed));
}

// Integers of either width load in range; a value of the wrong kind or out of
// range is refused naming its key, and what was loaded before it stays.
TEST_F(PersistenceTest, ValuesAreCheckedByKindAndRange) {
  struct Case {
    std::string key;
    PropertyValue value;
    int32_t error;
  };
  const std::vector<Case> cases = {
      {"CommPort", Long(4), 0},
      {"ScanNumber", Integer(5), 0},
      {"CommPort", Text("COM3"), ErrorNumber::TypeMismatch},
      {"CommPort", Long(40000), ErrorNumber::Overflow},
      {"SaveRawData", Long(1), ErrorNumber::TypeMismatch},
      {"Font", Text("Arial"), ErrorNumber::TypeMismatch},
      {"LorvexData", PropertyValue(std::make_shared<COstrelCls>()), ErrorNumber::TypeMismatch},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.key);
    MemoryPropertyBag bag;
    bag.Set("ScanDataType", Long(Temperature));  // the second key loaded
    bag.Set(c.key, c.value);
    State().scanDataType = Moisture;
    if (c.error) {
      const RuntimeError error = CaughtError([&] { control.ReadProperties(bag); });
      EXPECT_EQ(error.Number(), c.error);
      EXPECT_THAT(error.Description(), ::testing::HasSubstr(c.key));
    } else {
      control.ReadProperties(bag);
    }
    EXPECT_EQ(State().scanDataType, Temperature);
  }
  // A saved none font falls back to the ambient font; an empty file name is
  // saved as it is and read as the default.
  MemoryPropertyBag bag, saved;
  bag.Set("CommPort", Long(4));
  bag.Set("ScanNumber", Integer(5));
  bag.Set("Font", kNone);
  control.ReadProperties(bag);
  EXPECT_EQ(std::tuple(control.CommPort(), control.ScanNumber(), control.Font()),
            std::tuple(4, 5, container.ambientFont));
  control.OutPutFileName("");
  control.WriteProperties(saved);
  EXPECT_TRUE(SameValue(saved.Get("OutPutFileName"), Text("")));
  EXPECT_EQ(control.OutPutFileName(), "RawData.dat");
}

}  // namespace
}  // namespace travimo::testing
