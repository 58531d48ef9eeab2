#include <travimo/model/enums.h>

#include <gtest/gtest.h>

namespace travimo {
namespace {

// Member names as a property browser shows them, and every enumeration listed.
TEST(EnumsTest, MemberNamesAndEnumerations) {
  const std::tuple<const char*, int32_t, const char*> cases[] = {
      {"NumberOfPointsEnum", 32768, "No Limit"},
      {"TravimoTypeEnum", 3, "Ostrel"},
      {"TravimoDataTypeEnum", 2, "Burst"},
      {"TravimoErrors", 8002, "ComportError"},
      {"TravimoErrors", 32770, "InvalidBrevaneDataError"},
      {"TemperatureTypeEnum", 1, "Fahrenheit"},
      {"BlueLineTriggerType", 2, "BlueLineAuto"}};
  for (const auto& [enumeration, value, name] : cases) {
    EXPECT_EQ(MemberName(enumeration, value).value_or("<none>"), name) << enumeration << value;
  }
  EXPECT_FALSE(MemberName("NumberOfPointsEnum", 100).has_value());
  EXPECT_FALSE(MemberName("NoSuchEnum", 1).has_value());
  const std::pair<const char*, size_t> enumerations[] = {
      {"TravimoTypeEnum", 3}, {"NumberOfPointsEnum", 3},  {"TravimoDataTypeEnum", 3},
      {"TravimoErrors", 7},   {"TemperatureTypeEnum", 2}, {"BlueLineTriggerType", 3}};
  EXPECT_EQ(Enumerations().size(), std::size(enumerations));
  for (const auto& [name, members] : enumerations) {
    const EnumInfo* info = FindEnumeration(name);
    ASSERT_NE(info, nullptr) << name;
    EXPECT_EQ(info->members.size(), members) << name;
  }
}

}  // namespace
}  // namespace travimo
