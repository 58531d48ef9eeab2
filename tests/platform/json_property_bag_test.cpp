#include "platform/posix/json_property_bag.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "model/error.h"
#include "support/caught_error.h"
#include "support/sample_records.h"

namespace travimo {
namespace {

namespace fs = std::filesystem;

class JsonPropertyBagTest : public ::testing::Test {
 protected:
  JsonPropertyBagTest()
      : dir_(fs::temp_directory_path() /
             ("travimo-bag-" + std::to_string(::getpid()) + "-" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name())) {
    fs::create_directories(dir_);
  }
  ~JsonPropertyBagTest() override { fs::remove_all(dir_); }

  fs::path File(const std::string& name) const { return dir_ / name; }

  static void WriteText(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
  }
  static std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }

  fs::path dir_;
};

using testing::CaughtError;
using testing::Filled;

bool Mentions(const RuntimeError& error, const std::string& text) {
  return error.Description().find(text) != std::string::npos;
}

TEST_F(JsonPropertyBagTest, AMissingFileIsAnEmptyBagThatGivesDefaults) {
  JsonPropertyBag bag = JsonPropertyBag::Load(File("absent.json"));
  EXPECT_FALSE(bag.Existed());
  EXPECT_TRUE(bag.Empty());
  EXPECT_TRUE(SameValue(bag.Read("Caption", std::string("Travimo")), std::string("Travimo")));
}

TEST_F(JsonPropertyBagTest, ScalarsRoundTripThroughAFile) {
  JsonPropertyBag bag;
  bag.Write("SaveRawData", true, false);
  bag.Write("CommPort", int16_t{4}, int16_t{1});
  bag.Write("ScanNumber", int32_t{-70000}, int32_t{1});
  bag.Write("BackColor", static_cast<int32_t>(0x8000000Fu), int32_t{0});
  bag.Write("Caption", std::string("Go \"fast\" \xC3\xA9"), std::string("Travimo"));
  bag.Write("CurrentScanDataType", std::string("Caf\xE9"), std::string("A"));  // not UTF-8
  bag.Save(File("p.json"));

  EXPECT_NE(ReadText(File("p.json")).find("\"Go \\\"fast\\\" \xC3\xA9\""), std::string::npos);

  JsonPropertyBag loaded = JsonPropertyBag::Load(File("p.json"));
  EXPECT_TRUE(loaded.Existed());
  EXPECT_TRUE(SameValue(loaded.Read("SaveRawData", false), true));
  EXPECT_TRUE(SameValue(loaded.Read("CommPort", int16_t{1}), int16_t{4}));
  EXPECT_TRUE(SameValue(loaded.Read("ScanNumber", int32_t{1}), int32_t{-70000}));
  EXPECT_TRUE(SameValue(loaded.Read("BackColor", int32_t{0}), static_cast<int32_t>(0x8000000Fu)));
  EXPECT_TRUE(
      SameValue(loaded.Read("Caption", std::string()), std::string("Go \"fast\" \xC3\xA9")));
  EXPECT_TRUE(SameValue(loaded.Read("CurrentScanDataType", std::string()), std::string("Caf\xE9")));
}

TEST_F(JsonPropertyBagTest, OneEntryPerKeyAndNoneForADefault) {
  JsonPropertyBag bag;
  bag.Write("RThreshold", int16_t{100}, int16_t{0});
  bag.Write("Caption", std::string("Travimo"), std::string("Travimo"));
  EXPECT_FALSE(bag.Contains("Caption"));
  bag.Write("RThreshold", int16_t{0}, int16_t{0});  // drops the older value
  EXPECT_TRUE(bag.Empty());
  bag.Write("BackColor", int32_t{255}, int32_t{0});
  bag.Write("Caption", std::string("Go"), std::string());
  bag.Write("BackColor", int32_t{255}, int32_t{0});  // replaced in place
  EXPECT_EQ(bag.ToText(), "{\n  \"BackColor\": 255,\n  \"Caption\": \"Go\"\n}\n");
}
TEST_F(JsonPropertyBagTest, NumbersFollowTheWidthOfTheDefault) {
  JsonPropertyBag bag = JsonPropertyBag::FromText(
      R"({"CommPort": 4, "InBufferSize": 40000, "ScanNumber": 3.0, "ArrayStart": 1.5,
          "Big": 3000000000})",
      "form.json");
  EXPECT_TRUE(std::holds_alternative<int16_t>(bag.Read("CommPort", int16_t{1})));
  EXPECT_TRUE(std::holds_alternative<int32_t>(bag.Read("CommPort", int32_t{1})));
  EXPECT_TRUE(SameValue(bag.Read("ScanNumber", int32_t{1}), int32_t{3}));
  EXPECT_TRUE(SameValue(bag.Read("InBufferSize", int32_t{0}), int32_t{40000}));

  const RuntimeError overflow = CaughtError([&] { bag.Read("InBufferSize", int16_t{9096}); });
  EXPECT_EQ(overflow.Number(), ErrorNumber::Overflow);
  EXPECT_TRUE(Mentions(overflow, "InBufferSize"));
  EXPECT_TRUE(Mentions(overflow, "form.json"));
  EXPECT_EQ(CaughtError([&] { bag.Read("Big", int32_t{0}); }).Number(), ErrorNumber::Overflow);
  EXPECT_EQ(CaughtError([&] { bag.Read("ArrayStart", int32_t{1}); }).Number(),
            ErrorNumber::TypeMismatch);
}

TEST_F(JsonPropertyBagTest, AValueOfTheWrongTypeNamesTheKeyAndTheFile) {
  WriteText(File("form.json"),
            R"({"Caption": "Go", "CommPort": "COM3", "Font": [1], "Enabled": 1})");
  JsonPropertyBag bag = JsonPropertyBag::Load(File("form.json"));
  EXPECT_TRUE(SameValue(bag.Read("Caption", std::string()), std::string("Go")));
  struct Case {
    const char* key;
    PropertyValue defaultValue;
  };
  for (const Case& c :
       {Case{"CommPort", int16_t{1}}, Case{"Font", std::monostate{}}, Case{"Enabled", true}}) {
    SCOPED_TRACE(c.key);
    const RuntimeError error = CaughtError([&] { bag.Read(c.key, c.defaultValue); });
    EXPECT_EQ(error.Number(), ErrorNumber::TypeMismatch);
    EXPECT_TRUE(Mentions(error, std::string("\"") + c.key + "\"")) << error.Description();
    EXPECT_TRUE(Mentions(error, File("form.json").string())) << error.Description();
  }
}

TEST_F(JsonPropertyBagTest, AMalformedFileIsAClearErrorAndIsLeftAsItWas) {
  for (const std::string text : {"{\"Caption\": \"Go\",", "[1, 2]", "", "42"}) {
    SCOPED_TRACE(text);
    WriteText(File("bad.json"), text);
    const RuntimeError error = CaughtError([&] { JsonPropertyBag::Load(File("bad.json")); });
    EXPECT_EQ(error.Number(), ErrorNumber::PathFileAccess);
    EXPECT_TRUE(Mentions(error, File("bad.json").string())) << error.Description();
    EXPECT_EQ(ReadText(File("bad.json")), text);
  }
}

// Another host or a newer version may have written keys this one does not
// know; saving over the loaded file keeps them as they were.
TEST_F(JsonPropertyBagTest, KeysNobodyAskedAboutSurviveASave) {
  WriteText(File("form.json"), R"({"Device": "/dev/ttyUSB1", "Caption": "Old",
      "FromANewerVersion": {"nested": [1, "two", null]}, "RThreshold": 100})");
  JsonPropertyBag bag = JsonPropertyBag::Load(File("form.json"));
  bag.Write("Caption", std::string("New"), std::string("Travimo"));
  bag.Write("RThreshold", int16_t{0}, int16_t{0});
  bag.Save(File("form.json"));

  EXPECT_EQ(ReadText(File("form.json")), R"({
  "Device": "/dev/ttyUSB1",
  "Caption": "New",
  "FromANewerVersion": {
    "nested": [
      1,
      "two",
      null
    ]
  }
}
)");
}

TEST_F(JsonPropertyBagTest, FontsAndPicturesRoundTripAndNoneIsNull) {
  auto font = std::make_shared<StdFont>(
      StdFont{"Arial", 12.5, true, true, false, true, int16_t{700}, int16_t{1}});
  JsonPropertyBag bag;
  bag.Write("Font", font, std::monostate{});
  bag.Write("Picture", std::make_shared<StdPicture>(StdPicture{"face.bmp"}), std::monostate{});
  bag.Write("MouseIcon", std::monostate{}, std::make_shared<StdFont>());
  JsonPropertyBag loaded = JsonPropertyBag::FromText(bag.ToText(), "t");

  const PropertyValue readFont = loaded.Read("Font", std::make_shared<StdFont>());
  ASSERT_TRUE(std::holds_alternative<FontPtr>(readFont));
  EXPECT_EQ(*std::get<FontPtr>(readFont), *font);
  EXPECT_TRUE(SameValue(loaded.Read("Picture", std::monostate{}),
                        std::make_shared<StdPicture>(StdPicture{"face.bmp"})));
  EXPECT_TRUE(std::holds_alternative<std::monostate>(loaded.Read("MouseIcon", std::monostate{})));

  // A hand-written font keeps the defaults of what it leaves out.
  const PropertyValue partial = JsonPropertyBag::FromText(R"({"Font": {"name": "Arial"}})", "t")
                                    .Read("Font", std::monostate{});
  ASSERT_TRUE(std::holds_alternative<FontPtr>(partial));
  StdFont expected;
  expected.name = "Arial";
  EXPECT_EQ(*std::get<FontPtr>(partial), expected);
}

TEST_F(JsonPropertyBagTest, RecordsRoundTripWithEveryFieldAndSeries) {
  const auto lorvex = std::make_shared<CLorvexCls>(Filled<CLorvexCls>());
  const auto ostrel = std::make_shared<COstrelCls>(Filled<COstrelCls>());
  const auto brevane = std::make_shared<CBrevaneCls>(Filled<CBrevaneCls>());
  JsonPropertyBag bag;
  bag.Write("LorvexData", lorvex, std::monostate{});
  bag.Write("OstrelData", ostrel, std::monostate{});
  bag.Write("BrevaneData", brevane, std::monostate{});
  bag.Save(File("records.json"));
  JsonPropertyBag loaded = JsonPropertyBag::Load(File("records.json"));

  EXPECT_EQ(*std::get<LorvexPtr>(loaded.Read("LorvexData", std::monostate{})), *lorvex);
  EXPECT_EQ(*std::get<OstrelPtr>(loaded.Read("OstrelData", std::monostate{})), *ostrel);
  EXPECT_EQ(*std::get<BrevanePtr>(loaded.Read("BrevaneData", std::monostate{})), *brevane);
  // The file reads naturally: dates carry their text as well as their value.
  EXPECT_NE(ReadText(File("records.json")).find("\"iso\": \"2024-02-29T13:45:"),
            std::string::npos);
}

TEST_F(JsonPropertyBagTest, ARecordOfAnotherKindOrAMalformedSeriesIsAMismatch) {
  JsonPropertyBag bag = JsonPropertyBag::FromText(
      R"({"LorvexData": {"record": "Ostrel"},
          "OstrelData": {"record": "Ostrel", "cScanData": {"lower": 1, "values": ["x"]}},
          "BrevaneData": {"record": "Quartz"}})",
      "t");
  const RuntimeError kind = CaughtError([&] { bag.Read("LorvexData", LorvexPtr{}); });
  EXPECT_EQ(kind.Number(), ErrorNumber::TypeMismatch);
  const RuntimeError series = CaughtError([&] { bag.Read("OstrelData", std::monostate{}); });
  EXPECT_EQ(series.Number(), ErrorNumber::TypeMismatch);
  EXPECT_TRUE(Mentions(series, "cScanData.values")) << series.Description();
  EXPECT_EQ(CaughtError([&] { bag.Read("BrevaneData", std::monostate{}); }).Number(),
            ErrorNumber::TypeMismatch);
}

}  // namespace
}  // namespace travimo
