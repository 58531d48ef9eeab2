#include "acquisition/end_of_transfer.h"

#include <gtest/gtest.h>

#include <string>

#include "acquisition/deadline.h"

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

// A wait sleeps until WakeTime(): it must find the deadline passed then, and
// must not have slept noticeably past it, however long the clock has run.
TEST(DeadlineTest, WakeTimeIsTheFirstMomentTheDeadlineHasPassed) {
  for (const double base : {0.0, 12345.678, 1e9}) {
    for (const double interval : {-1.0, 0.0, 1.0, 2.0, 30.0, 36.75}) {
      const Deadline deadline(base, base + interval);
      const double wake = deadline.WakeTime();
      EXPECT_FALSE(deadline.PassedAt(base + interval)) << base << " + " << interval;
      EXPECT_TRUE(deadline.PassedAt(wake)) << base << " + " << interval;
      EXPECT_GT(wake, base + interval);
      EXPECT_LT(wake - (base + interval), 1e-5) << base << " + " << interval;
    }
  }
}

}  // namespace
}  // namespace travimo
