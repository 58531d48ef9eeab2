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

// One rule for every case, each setting its own and feeding twice with a
// restart before each: what was found or searched before is forgotten.
TEST(EndOfTransfer, MarkersAndTheBrevaneClosingLineAcrossPieces) {
  const struct {
    const char* marker;  // none: the rule as it was
    bool brevane;
    std::vector<std::string> pieces;
    std::string seen;
  } cases[] = {
      {nullptr, false, {"", "a"}, "01"},  // no marker yet: any text ends it
      {"##", false, {"ab", "c#", "#", "x"}, "0011"},
      {nullptr, true, {"S\r00# F\r", "Z\r", "E", "\r"}, "0001"},
      {nullptr, true, {"S\r\n", "Z\r\n", "E\r\n"}, "001"},
      {nullptr, true, {"S\r\nZ\r", "\n", "E", "\r"}, "0001"},
      {nullptr, true, {"S\r03#E\r", "1E5\r", "E5\r", "\rEE\r"}, "0000"},
      {nullptr, true, {"S\r", "E"}, "00"},
      {"", false, {"", "E"}, "01"},
  };
  EndOfTransfer rule;
  for (const auto& c : cases) {
    if (c.brevane) rule.BrevaneClosingLine();
    if (c.marker) rule.Marker(c.marker);
    for (int run = 0; run < 2; ++run) {
      rule.Restart();
      EXPECT_EQ(Feed(rule, c.pieces), c.seen) << c.pieces.front() << " run " << run;
    }
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
