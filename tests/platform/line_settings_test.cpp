#include "platform/line_settings.h"

#include <gtest/gtest.h>

#include "model/error.h"

namespace travimo {
namespace {

TEST(LineSettingsTest, ReadsEveryForm) {
  const struct {
    const char* text;
    LineSettings expected;
    const char* formatted;
  } cases[] = {
      {"9600,n,8,1", {9600, 'n', 8, 10}, "9600,n,8,1"},
      {"19200,E,7,2", {19200, 'e', 7, 20}, "19200,e,7,2"},
      {"110,o,5,1.5", {110, 'o', 5, 15}, "110,o,5,1.5"},
      {"31250,M,4,1", {31250, 'm', 4, 10}, "31250,m,4,1"},
      {" 1200 , s , 6 , 2 ", {1200, 's', 6, 20}, "1200,s,6,2"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ParseLineSettings(c.text), c.expected) << c.text;
    EXPECT_EQ(FormatLineSettings(c.expected), c.formatted);
  }
}

TEST(LineSettingsTest, RefusesMalformedTextQuotingIt) {
  for (const char* text :
       {"", "9600", "9600,n,8", "9600,n,8,1,0", "0,n,8,1", "-300,n,8,1", "96x0,n,8,1",
        "99999999999,n,8,1", "9600,,8,1", "9600,no,8,1", "9600,x,8,1", "9600,n,3,1", "9600,n,9,1",
        "9600,n,8,0", "9600,n,8,1.0"}) {
    try {
      ParseLineSettings(text);
      ADD_FAILURE() << "accepted \"" << text << "\"";
    } catch (const RuntimeError& error) {
      EXPECT_EQ(error.Number(), ErrorNumber::InvalidPropertyValue) << text;
      EXPECT_NE(error.Description().find("\"" + std::string(text) + "\""), std::string::npos);
    }
  }
}

}  // namespace
}  // namespace travimo
