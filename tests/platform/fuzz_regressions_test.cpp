// Inputs the fuzzers found, kept so that they stay harmless.
#include <gtest/gtest.h>

#include <string>

#include "model/error.h"
#include "platform/posix/json_property_bag.h"

namespace travimo {
namespace {

std::string BrevaneWithDate(const std::string& days) {
  return R"({"BrevaneData": {"record": "Brevane", "DateTime": {"iso": "", "value": )" + days +
         "}}}";
}

// A record's date far outside what a date can hold once made printing the
// date undefined behaviour; such a file is now refused like any other overflow.
TEST(FuzzRegression, PropertyFileDateOutsideTheDateRangeIsAnOverflow) {
  for (const char* days : {"55555555555555555555555555555555555555555555545366.4375", "-1e300",
                           "-657435", "2958466", "1e19"}) {
    JsonPropertyBag bag = JsonPropertyBag::FromText(BrevaneWithDate(days), "fuzz.json");
    try {
      bag.Read("BrevaneData", BrevanePtr{});
      ADD_FAILURE() << days << " was accepted";
    } catch (const RuntimeError& error) {
      EXPECT_EQ(error.Number(), ErrorNumber::Overflow) << days;
      EXPECT_NE(error.Description().find("date range"), std::string::npos) << days;
    }
  }
}

TEST(FuzzRegression, PropertyFileDatesAtTheEndsOfTheRangeStillLoad) {
  for (const char* days : {"-657434", "0", "45366.4375", "2958465.9999"}) {
    JsonPropertyBag bag = JsonPropertyBag::FromText(BrevaneWithDate(days), "fuzz.json");
    const auto record = std::get<BrevanePtr>(bag.Read("BrevaneData", BrevanePtr{}));
    ASSERT_TRUE(record) << days;
    EXPECT_EQ(record->DateTime().Value(), std::stod(days));
    EXPECT_FALSE(record->DateTime().ToIsoString().empty());
  }
}

// A number beyond a double's range escaped the loader as the JSON library's
// own exception; it is a malformed file like any other.
TEST(FuzzRegression, PropertyFileNumberBeyondDoubleRangeIsAMalformedFile) {
  const std::string values[] = {"1e400", "-1e400", std::string(400, '6') + ".5"};
  for (const std::string& value : values) {
    const std::string text = R"({"ScanNumber": )" + value + "}";
    try {
      JsonPropertyBag::FromText(text, "fuzz.json");
      ADD_FAILURE() << value << " was accepted";
    } catch (const RuntimeError& error) {
      EXPECT_EQ(error.Number(), ErrorNumber::PathFileAccess);
      EXPECT_NE(error.Description().find("fuzz.json"), std::string::npos);
    }
  }
}

}  // namespace
}  // namespace travimo
