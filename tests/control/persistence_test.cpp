#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "control_fixture.h"
#include <travimo/platform/posix/json_property_bag.h>
#include "sim/lorvex_encoder.h"
#include "support/sample_records.h"

namespace travimo::testing {
namespace {

constexpr Colour kRed = Rgb(255, 0, 0);

// A bag in memory that records each key's default as a load or save passes
// it, and stores nothing equal to the default, as a real bag does.
struct MemoryBag : PropertyBag {
  using Values = std::map<std::string, PropertyValue, std::less<>>;
  PropertyValue Read(std::string_view key, const PropertyValue& byDefault) override {
    readDefaults.insert_or_assign(std::string(key), byDefault);
    const auto found = stored.find(key);
    return found == stored.end() ? byDefault : found->second;
  }
  void Write(std::string_view key, const PropertyValue& value,
             const PropertyValue& byDefault) override {
    writeDefaults.insert_or_assign(std::string(key), byDefault);
    stored.erase(std::string(key));
    if (!SameValue(value, byDefault)) stored.emplace(key, value);
  }
  Values stored, readDefaults, writeDefaults;
};

// clang-format off
PropertyValue Long(int32_t v) { return v; }
PropertyValue Integer(int16_t v) { return v; }
PropertyValue Text(const char* s) { return std::string(s); }
const PropertyValue kNone = std::monostate{};

// Every key a load or a save passes, with the default of its kind that stored
// files rely on; none for the objects (the font's is the ambient font).
const MemoryBag::Values kDefaults = {
    {"ScanDataType", Long(0)}, {"ScanNumber", Long(1)}, {"NumberOfPoints", Long(512)},
    {"BackColor", static_cast<int32_t>(kButtonFace)}, {"DisabledPicture", kNone},
    {"DownPicture", kNone}, {"Caption", Text("Travimo")}, {"Value", false},
    {"MousePointer", Integer(0)}, {"Enabled", true}, {"DTREnable", true}, {"Handshaking", Long(0)},
    {"CommPort", Integer(1)}, {"InBufferCount", Integer(0)}, {"InBufferSize", Integer(9096)},
    {"RThreshold", Integer(0)}, {"RTSEnable", false}, {"Settings", Text("9600,n,8,1")},
    {"MouseIcon", kNone}, {"Picture", kNone}, {"NumberOfScans", Long(0)},
    {"ArrayStart", Long(1)}, {"Temp_Units", Long(0)}, {"ContPower", false},
    {"TravimoType", Long(1)}, {"CancelTransfer", false}, {"BlueLineTrigger", Long(2)},
    {"CurrentScanDataType", Text("A")}, {"StringScanData", Text("\"")}, {"OstrelData", kNone},
    {"BrevaneData", kNone}, {"LorvexData", kNone},
    {"FlashColor", static_cast<int32_t>(kDefaultFlashColour)},
    {"OutPutFileName", Text("RawData.dat")}, {"SaveRawData", false}};
// clang-format on

using PersistenceTest = ControlTest;

// Placed afresh or loaded from an empty bag, a control holds the defaults:
// saved at once, it stores only the threshold its type sets, and it reads a
// Lorvex without its points ever being set. Loads and saves pass every key
// with its default.
class FreshControlTest : public PersistenceTest, public ::testing::WithParamInterface<bool> {};

TEST_P(FreshControlTest, HoldsTheDefaults) {
  MemoryBag empty, bag;
  MemoryBag::Values defaults = kDefaults;
  defaults["Font"] = container.ambientFont;
  if (GetParam()) {
    control.ReadProperties(empty);
    EXPECT_EQ(empty.readDefaults, defaults);
  } else {
    control.InitProperties();
    EXPECT_TRUE(State().scanTypeLetters.Discarded());
  }
  EXPECT_EQ(State().pointLimit, 512);
  EXPECT_EQ(control.SurfaceBackColor(), kButtonFace);
  control.WriteProperties(bag);
  EXPECT_EQ(bag.writeDefaults, defaults);
  EXPECT_EQ(bag.stored, (decltype(bag.stored){{"RThreshold", Integer(100)}}));
  serial.SendAfterOpen(0.1, sim::EncodeLorvexTransfer({{'A', {100, 200, 300}}}));
  control.ReadTravimo();
  EXPECT_TRUE(container.ErrorNumbers().empty());
  EXPECT_EQ(control.NumberOfScans(), 1);
  EXPECT_THAT(container.changes, ::testing::Not(::testing::Contains("NumberOfPoints")));
}

INSTANTIATE_TEST_SUITE_P(InitialisedOrLoadedEmpty, FreshControlTest, ::testing::Bool());

// Loading and saving refresh the point limit.
TEST_F(PersistenceTest, TheTypeIsAppliedAfterTheSerialKeysAndBeforeTheBlueLine) {
  for (const int32_t type : {Lorvex, Brevane, Ostrel}) {
    SCOPED_TRACE(type);
    MemoryBag bag;
    bag.stored = {{"Handshaking", Long(2)}, {"RTSEnable", true}, {"ContPower", true},
                  {"TravimoType", Long(type)}, {"BlueLineTrigger", Long(BlueLineOn)},
                  {"NumberOfPoints", Long(256)}};
    control.ReadProperties(bag);
    const bool lorvex = type == Lorvex;  // the blue line is stored without the type's check
    EXPECT_EQ(std::tuple(control.Handshaking(), control.RTSEnable(), control.Timer1().Enabled(),
                         control.BlueLineTrigger(), control.NumberOfPoints(), State().pointLimit),
              std::tuple(lorvex ? 0 : 3, false, lorvex, BlueLineOn, lorvex ? 256 : NoLimit,
                         lorvex ? 256 : NoLimit));
    State().pointLimit = 7;
    control.WriteProperties(bag);
    EXPECT_EQ(State().pointLimit, control.NumberOfPoints());
  }
}

// Records come back as copies: compared by content, as fonts and pictures are.
bool SameContent(const PropertyValue& a, const PropertyValue& b) {
  const auto sameRecord = [](const auto& x, const auto& y) {
    if constexpr (requires { *x == *y; }) return x && y && *x == *y;
    return false;
  };
  return SameValue(a, b) || std::visit(sameRecord, a, b);
}

// Every loaded property away from its default is saved and comes back through
// a property file; the button's colour is saved twice and restored to the
// surface and the button.
TEST_F(PersistenceTest, EveryKeyRoundTripsThroughAPropertyFile) {
  const auto picture = [](const char* p) { return std::make_shared<StdPicture>(StdPicture{p}); };
  MemoryBag source, saved;
  source.stored = {
      {"ScanDataType", Long(Temperature)}, {"ScanNumber", Long(3)}, {"NumberOfPoints", Long(256)},
      {"BackColor", Long(kRed)}, {"DisabledPicture", picture("off.bmp")},
      {"DownPicture", picture("down.bmp")}, {"Caption", Text("Go")}, {"MousePointer", Integer(11)},
      {"Enabled", false}, {"CommPort", Integer(4)}, {"Settings", Text("19200,e,7,2")},
      {"RThreshold", Integer(100)},  // a Lorvex's own
      {"Font", std::make_shared<StdFont>(StdFont{.name = "Arial", .size = 12, .bold = true})},
      {"MouseIcon", picture("hand.ico")}, {"Picture", picture("face.bmp")},
      {"NumberOfScans", Long(5)}, {"ArrayStart", Long(0)}, {"Temp_Units", Long(Fahrenheit)},
      {"ContPower", true}, {"CancelTransfer", true}, {"BlueLineTrigger", Long(BlueLineOn)},
      {"CurrentScanDataType", Text("T")}, {"StringScanData", Text("1.5,2")},
      {"OstrelData", std::make_shared<COstrelCls>(Filled<COstrelCls>())},
      {"BrevaneData", std::make_shared<CBrevaneCls>(Filled<CBrevaneCls>())},
      {"LorvexData", std::make_shared<CLorvexCls>(Filled<CLorvexCls>())},
      {"FlashColor", Long(Rgb(0, 0, 255))}, {"OutPutFileName", Text("scan.raw")},
      {"SaveRawData", true}};
  control.ReadProperties(source);
  JsonPropertyBag file;
  control.WriteProperties(file);
  Travimo restored(ControlSite{container, host, files, serial});
  JsonPropertyBag loaded = JsonPropertyBag::FromText(file.ToText(), "form.json");
  restored.ReadProperties(loaded);
  restored.WriteProperties(saved);

  EXPECT_EQ(saved.stored.size(), source.stored.size());
  for (const auto& [key, value] : source.stored) {
    EXPECT_TRUE(saved.stored.contains(key) && SameContent(saved.stored.at(key), value)) << key;
  }
  EXPECT_EQ(std::pair(restored.SurfaceBackColor(), restored.BackColor()), std::pair(kRed, kRed));
}

// A value of the wrong kind or out of range is refused naming its key, and
// what was loaded before it stays.
TEST_F(PersistenceTest, ValuesAreCheckedByKindAndRange) {
  const std::tuple<std::string, PropertyValue, int32_t> cases[] = {
      {"CommPort", Text("COM3"), ErrorNumber::TypeMismatch},
      {"CommPort", Long(40000), ErrorNumber::Overflow},
      {"SaveRawData", Long(1), ErrorNumber::TypeMismatch},
      {"Font", Text("Arial"), ErrorNumber::TypeMismatch},
      {"LorvexData", PropertyValue(std::make_shared<COstrelCls>()), ErrorNumber::TypeMismatch},
  };
  for (const auto& [key, value, number] : cases) {
    SCOPED_TRACE(key);
    MemoryBag bag;
    bag.stored = {{"ScanDataType", Long(Temperature)}, {key, value}};  // the second key loaded
    State().scanDataType = Moisture;
    const RuntimeError error = CaughtError([&] { control.ReadProperties(bag); });
    EXPECT_EQ(std::tuple(error.Number(), State().scanDataType), std::tuple(number, Temperature));
    EXPECT_THAT(error.Description(), ::testing::HasSubstr(key));
  }
  // Either width fits a key in range; a saved none font falls back to the
  // ambient font; an empty file name is saved as it is and read as the default.
  MemoryBag bag, saved;
  bag.stored = {{"CommPort", Long(4)}, {"ScanNumber", Integer(5)}, {"Font", kNone}};
  control.ReadProperties(bag);
  EXPECT_EQ(std::tuple(control.CommPort(), control.ScanNumber(), control.Font()),
            std::tuple(4, 5, container.ambientFont));
  control.OutPutFileName("");
  control.WriteProperties(saved);
  EXPECT_TRUE(SameValue(saved.stored.at("OutPutFileName"), Text("")));
  EXPECT_EQ(control.OutPutFileName(), "RawData.dat");
}

}  // namespace
}  // namespace travimo::testing
