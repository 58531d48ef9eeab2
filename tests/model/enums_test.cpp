#include "model/enums.h"

#include <gtest/gtest.h>

#include <string>

namespace travimo {
namespace {

TEST(EnumsTest, MemberNamesAsAPropertyBrowserShowsThem) {
  struct Case {
    const char* enumeration;
    int32_t value;
    const char* name;
  };
  const Case cases[] = {
      {"NumberOfPointsEnum", 512, "Max 512"},
      {"NumberOfPointsEnum", 256, "Max 256"},
      {"NumberOfPointsEnum", 32768, "No Limit"},
      {"TravimoTypeEnum", 1, "Lorvex"},
      {"TravimoTypeEnum", 2, "Brevane"},
      {"TravimoTypeEnum", 3, "Ostrel"},
      {"TravimoDataTypeEnum", 2, "Burst"},
      {"TravimoErrors", 3, "BlueLineError"},
      {"TravimoErrors", 8002, "ComportError"},
      {"TravimoErrors", 32770, "InvalidBrevaneDataError"},
      {"TemperatureTypeEnum", 1, "Fahrenheit"},
      {"BlueLineTriggerType", 2, "BlueLineAuto"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MemberName(c.enumeration, c.value).value_or("<none>"), c.name)
        << c.enumeration << " " << c.value;
  }
}

TEST(EnumsTest, UnknownEnumerationsAndValuesHaveNoName) {
  EXPECT_FALSE(MemberName("NumberOfPointsEnum", 100).has_value());
  EXPECT_FALSE(MemberName("NoSuchEnum", 1).has_value());
  EXPECT_EQ(FindEnumeration("NoSuchEnum"), nullptr);
}

TEST(EnumsTest, EveryEnumerationIsListedWithItsMembers) {
  struct Case {
    const char* name;
    size_t members;
  };
  const Case cases[] = {
      {"TravimoTypeEnum", 3}, {"NumberOfPointsEnum", 3},  {"TravimoDataTypeEnum", 3},
      {"TravimoErrors", 7},   {"TemperatureTypeEnum", 2}, {"BlueLineTriggerType", 3},
  };
  EXPECT_EQ(Enumerations().size(), std::size(cases));
  for (const Case& c : cases) {
    const EnumInfo* info = FindEnumeration(c.name);
    ASSERT_NE(info, nullptr) << c.name;
    EXPECT_EQ(info->members.size(), c.members) << c.name;
  }
}

}  // namespace
}  // namespace travimo
