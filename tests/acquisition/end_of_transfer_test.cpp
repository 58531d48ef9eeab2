#include "acquisition/end_of_transfer.h"

#include <gtest/gtest.h>

#include <string>

namespace travimo {
namespace {

// Feeds the text in pieces, as receive events do, and reports after each one.
std::string Feed(EndOfTransfer& rule, const std::vector<std::string>& pieces) {
  std::string text, seen;
  for (const auto& piece : pieces) {
    text += piece;
    seen += rule.Found(text) ? '1' : '0';
  }
  return seen;
}

TEST(EndOfTransfer, MarkerAcrossPiecesAndAfterARestart) {
  EndOfTransfer rule;
  EXPECT_EQ(Feed(rule, {"", "a"}), "01");  // no marker: any text ends it
  rule.Marker("##");
  rule.Restart();
  EXPECT_EQ(Feed(rule, {"ab", "c#", "#", "x"}), "0011");
  rule.Restart();
  EXPECT_FALSE(rule.Found("abc"));
}

TEST(EndOfTransfer, BrevaneClosingLine) {
  const struct {
    std::vector<std::string> pieces;
    std::string seen;
  } cases[] = {
      {{"S\r00# F\r", "Z\r", "E", "\r"}, "0001"},
      {{"S\r\n", "Z\r\n", "E\r\n"}, "001"},
      {{"S\r\nZ\r", "\n", "E", "\r"}, "0001"},
      {{"S\r03#E\r", "1E5\r", "E5\r", "\rEE\r"}, "0000"},
      {{"S\r", "E"}, "00"},
  };
  for (const auto& c : cases) {
    EndOfTransfer rule;
    rule.BrevaneClosingLine();
    EXPECT_EQ(Feed(rule, c.pieces), c.seen);
  }
}

}  // namespace
}  // namespace travimo
