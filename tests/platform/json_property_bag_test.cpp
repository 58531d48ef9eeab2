#include <travimo/platform/posix/json_property_bag.h>

#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>
#include <string>

#include <travimo/model/error.h>
#include "scratch_dir.h"
#include "support/caught_error.h"
#include "support/sample_records.h"

namespace travimo {
namespace {

using testing::CaughtError;
using testing::ContentOf;
using testing::Filled;

// Equal content: SameValue compares records by identity.
bool SameContent(const PropertyValue& a, const PropertyValue& b) {
  if (a.index() != b.index()) return false;
  const auto same = [&](const auto& left) {
    const auto& right = std::get<std::decay_t<decltype(left)>>(b);
    if constexpr (requires { *left; }) {
      return left == right || (left && right && *left == *right);
    } else {
      return left == right;
    }
  };
  return std::visit(same, a);
}

bool Mentions(const RuntimeError& error, const std::string& text) {
  return error.Description().find(text) != std::string::npos;
}

TEST(JsonPropertyBagTest, EveryKindOfValueRoundTripsThroughAFileAndABadFileIsAClearError) {
  const testing::ScratchDir dir;
  const struct {
    const char* key;
    PropertyValue value;
    PropertyValue defaultValue;
  } cases[] = {
      {"SaveRawData", true, false},
      {"CommPort", int16_t{4}, int16_t{1}},
      {"ScanNumber", int32_t{-70000}, int32_t{1}},
      {"BackColor", static_cast<int32_t>(0x8000000Fu), int32_t{0}},
      {"Caption", std::string("Go \"fast\" \xC3\xA9"), std::string("Travimo")},
      {"CurrentScanDataType", std::string("Caf\xE9"), std::string("A")},  // not UTF-8
      {"Font", std::make_shared<StdFont>(StdFont{"Arial", 12.5, true, true, false, true, 700, 1}),
       std::monostate{}},
      {"Picture", std::make_shared<StdPicture>(StdPicture{"face.bmp"}), {}},
      {"MouseIcon", {}, std::make_shared<StdFont>()},  // none is null
      {"LorvexData", std::make_shared<CLorvexCls>(Filled<CLorvexCls>()), {}},
      {"OstrelData", std::make_shared<COstrelCls>(Filled<COstrelCls>()), {}},
      {"BrevaneData", std::make_shared<CBrevaneCls>(Filled<CBrevaneCls>()), {}},
  };
  JsonPropertyBag bag;
  for (const auto& c : cases) bag.Write(c.key, c.value, c.defaultValue);
  bag.Save(dir / "p.json");
  const std::string text = ContentOf(dir / "p.json");
  EXPECT_NE(text.find("\"Go \\\"fast\\\" \xC3\xA9\""), std::string::npos) << text;
  // The file reads naturally: dates carry their text as well as their value.
  EXPECT_NE(text.find("\"iso\": \"2024-02-29T13:45:"), std::string::npos);

  JsonPropertyBag loaded = JsonPropertyBag::Load(dir / "p.json");
  EXPECT_TRUE(loaded.Existed());
  for (const auto& c : cases)
    EXPECT_TRUE(SameContent(loaded.Read(c.key, c.defaultValue), c.value)) << c.key;
  // A missing file is an empty bag that gives the defaults.
  JsonPropertyBag absent = JsonPropertyBag::Load(dir / "absent.json");
  EXPECT_TRUE(!absent.Existed() && absent.Empty());
  EXPECT_TRUE(SameContent(absent.Read("Caption", std::string("Go")), std::string("Go")));
  // A malformed file is a clear error and is left as it was. A number beyond a
  // double's range once escaped as the JSON library's own exception.
  for (const std::string& text : std::initializer_list<std::string>{
           "{\"Caption\": \"Go\",", "[1, 2]", "", "42", "{\"A\": 1e400}", "{\"A\": -1e400}",
           "{\"A\": " + std::string(400, '6') + ".5}"}) {
    SCOPED_TRACE(text);
    std::ofstream(dir / "bad.json", std::ios::binary) << text;
    const RuntimeError error = CaughtError([&] { JsonPropertyBag::Load(dir / "bad.json"); });
    EXPECT_EQ(error.Number(), ErrorNumber::PathFileAccess);
    EXPECT_TRUE(Mentions(error, dir / "bad.json")) << error.Description();
    EXPECT_EQ(ContentOf(dir / "bad.json"), text);
  }
}

std::string WithDate(const std::string& days) {
  return R"({"record": "Brevane", "DateTime": {"iso": "", "value": )" + days + "}}";
}

// A value is read as the kind of its default, or refused naming the key and
// the file: 13 for another kind, 6 beyond the range of the kind.
TEST(JsonPropertyBagTest, AValueIsReadAsItsDefaultsKindOrRefused) {
  constexpr int32_t kOverflow = ErrorNumber::Overflow;
  constexpr int32_t kMismatch = ErrorNumber::TypeMismatch;
  const auto arial = std::make_shared<StdFont>();
  arial->name = "Arial";
  const struct {
    std::string json;
    PropertyValue defaultValue;
    PropertyValue read;  // when no error
    int32_t error = 0;
    const char* mentions = "";
  } cases[] = {
      {"4", int16_t{1}, int16_t{4}},
      {"4", int32_t{1}, int32_t{4}},
      {"3.0", int32_t{1}, int32_t{3}},
      {"40000", int32_t{0}, int32_t{40000}},
      {"40000", int16_t{9096}, {}, kOverflow},
      {"3000000000", int32_t{0}, {}, kOverflow},
      {"1.5", int32_t{1}, {}, kMismatch},
      {"\"COM3\"", int16_t{1}, {}, kMismatch},
      {"[1]", {}, {}, kMismatch},
      {"1", true, {}, kMismatch},
      {R"({"name": "Arial"})", {}, arial},  // the rest of a hand-written font as by default
      {R"({"record": "Ostrel"})", LorvexPtr{}, {}, kMismatch},
      {R"({"record": "Ostrel", "cScanData": {"values": ["x"]}})",
       {},
       {},
       kMismatch,
       "cScanData.values"},
      // Found by fuzzing: printing such a date on the next save was undefined.
      {WithDate("5.6e52"), BrevanePtr{}, {}, kOverflow, "date range"},
      {WithDate("-1e300"), BrevanePtr{}, {}, kOverflow, "date range"},
      {WithDate("-657435"), BrevanePtr{}, {}, kOverflow, "date range"},
      {WithDate("2958466"), BrevanePtr{}, {}, kOverflow, "date range"},
      {WithDate("1e19"), BrevanePtr{}, {}, kOverflow, "date range"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.json);
    JsonPropertyBag bag = JsonPropertyBag::FromText("{\"Key\": " + c.json + "}", "form.json");
    if (c.error == 0) {
      EXPECT_TRUE(SameContent(bag.Read("Key", c.defaultValue), c.read));
      continue;
    }
    const RuntimeError error = CaughtError([&] { bag.Read("Key", c.defaultValue); });
    EXPECT_EQ(error.Number(), c.error);
    EXPECT_TRUE(Mentions(error, "\"Key\"") && Mentions(error, "form.json")) << error.Description();
    EXPECT_TRUE(Mentions(error, c.mentions)) << error.Description();
  }
  for (const char* days : {"-657434", "0", "45366.4375", "2958465.9999"}) {
    JsonPropertyBag bag = JsonPropertyBag::FromText("{\"Key\": " + WithDate(days) + "}", "t");
    const auto record = std::get<BrevanePtr>(bag.Read("Key", BrevanePtr{}));
    EXPECT_EQ(record->DateTime().Value(), std::stod(days)) << "the ends of the range load";
    EXPECT_FALSE(record->DateTime().ToIsoString().empty()) << days;
  }
}

// Another host or a newer version may have written keys this one does not
// know: a save keeps them in their order, with one entry per key and none for
// a value at its default.
TEST(JsonPropertyBagTest, OneEntryPerKeyNoneForADefaultAndUnknownKeysSurviveASave) {
  const testing::ScratchDir dir;
  std::ofstream(dir / "form.json") << R"({"Device": "/dev/ttyUSB1", "Caption": "Old",
      "FromANewerVersion": {"nested": [1, "two", null]}, "RThreshold": 100})";
  JsonPropertyBag bag = JsonPropertyBag::Load(dir / "form.json");
  bag.Write("Caption", std::string("New"), std::string("Travimo"));
  bag.Write("RThreshold", int16_t{0}, int16_t{0});  // drops the older value
  bag.Write("BackColor", int32_t{0}, int32_t{0});
  EXPECT_FALSE(bag.Contains("BackColor"));
  bag.Write("BackColor", int32_t{255}, int32_t{0});
  bag.Write("BackColor", int32_t{255}, int32_t{0});  // replaced in place
  bag.Save(dir / "form.json");
  EXPECT_EQ(ContentOf(dir / "form.json"),
            nlohmann::ordered_json::parse(R"({"Device": "/dev/ttyUSB1", "Caption": "New",
                "FromANewerVersion": {"nested": [1, "two", null]}, "BackColor": 255})")
                    .dump(2) + "\n");
}

}  // namespace
}  // namespace travimo
