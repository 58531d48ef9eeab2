#include "acquisition/read_cycle.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <new>
#include <stdexcept>
#include <string>

#include "acquisition/cycle_host.h"
#include "formats/lorvex_parser.h"
#include "model/enums.h"
#include "model/error.h"
#include "support/fake_parse_context.h"

namespace travimo::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// The one polling pass that every cycle runs, on a 10 ms virtual quantum.
constexpr double kPass = 2.0;
constexpr double kTolerance = 0.1;

// Leaves no stray "#", "E" or "S" that would end or classify a transfer early.
std::string Filler(size_t length) {
  return std::string(length, '7');
}

void ExpectIdleAfterCycle(const CycleHost& host) {
  EXPECT_FALSE(host.comm.PortOpen());
  EXPECT_FALSE(host.serial.IsOpen());
  EXPECT_TRUE(host.frameEnabled);
  EXPECT_FALSE(host.flash->Enabled());
  EXPECT_FALSE(host.cancel);
  EXPECT_EQ(host.backColour, kButtonFace);
  EXPECT_EQ(host.comm.RThreshold(), 0);
  EXPECT_THAT(host.cycle.Transfer(), IsEmpty());
  EXPECT_FALSE(host.cycle.Running());
}

// The waits run on the monotonic clock: a read just before midnight ends on time.
TEST(ReadCycleSilent, OstrelWaitsThirtySecondsPollsThreeTimesAndFailsInLorvexParser) {
  for (const double startOfDay : {10 * 3600.0, 86399.0}) {
    CycleHost host(startOfDay);
    host.type = Ostrel;
    host.keepAlive->Enabled(true);
    FakeParseContext control;
    host.parser = [&](std::string& text, TransferKind) { ParseLorvexData(text, control); };
    bool suspendedMidway = false;
    host.clock.At(20.0, [&] {
      suspendedMidway = !host.keepAlive->Enabled() && !host.frameEnabled && host.flash->Enabled() &&
                        host.comm.PortOpen();
    });

    const double took = host.Read();

    EXPECT_NEAR(took, 30.0 + 3 * kPass, kTolerance);
    EXPECT_TRUE(suspendedMidway);
    EXPECT_THAT(host.captions, ElementsAre("Waiting!", "Reading"));
    ASSERT_EQ(host.parses.size(), 1u);
    EXPECT_EQ(host.parses[0].kind, TransferKind::Lorvex);
    EXPECT_EQ(host.parses[0].text, "");
    EXPECT_THAT(host.errors, ElementsAre(ComportReadError));
    EXPECT_EQ(host.keepAliveTicks, 0);  // no keep-alive "W" during the read
    EXPECT_TRUE(host.keepAlive->Enabled());
    EXPECT_THAT(host.serial.Written(), IsEmpty());
    ExpectIdleAfterCycle(host);
  }
}

TEST(ReadCycleSilent, LorvexWithPassedDeadlineSkipsTheQuietWait) {
  CycleHost host;
  host.dataType = Temperature;
  const double took = host.Read();
  EXPECT_NEAR(took, 1.0 + 3 * kPass, kTolerance);
  EXPECT_THAT(host.captions, ElementsAre("Reading"));
  EXPECT_FALSE(host.keepAlive->Enabled());  // as it was before the read
}

TEST(ReadCycleArrival, OstrelBurstsEndAsSoonAsTheClosingEArrives) {
  CycleHost host;
  host.type = Ostrel;
  const std::string parts[] = {"S" + Filler(99), Filler(100), Filler(100), Filler(99) + "E"};
  double at = 0.5;
  for (const auto& part : parts) {
    host.serial.SendAfterOpen(at, part);
    at += 1.5;
  }

  const double took = host.Read();

  EXPECT_NEAR(took, 5.0 + kPass, kTolerance);  // last burst at 5.0, then one pass
  EXPECT_THAT(host.captions, ElementsAre("Waiting!", "Reading!", "Reading"));
  ASSERT_EQ(host.parses.size(), 1u);
  EXPECT_EQ(host.parses[0].kind, TransferKind::Ostrel);
  EXPECT_EQ(host.parses[0].text, parts[0] + parts[1] + parts[2] + parts[3]);
  EXPECT_THAT(host.errors, IsEmpty());
  ExpectIdleAfterCycle(host);
}

TEST(ReadCycleArrival, LorvexKeepsWaitingWhileBurstsComeLessThanTwoSecondsApart) {
  CycleHost host;
  for (double at : {0.5, 2.0, 3.5}) host.serial.SendAfterOpen(at, Filler(100));
  const double took = host.Read();
  // Quiet two seconds after the last burst, then three passes: 300 is no record multiple.
  EXPECT_NEAR(took, 3.5 + 2.0 + 3 * kPass, kTolerance);
  ASSERT_EQ(host.parses.size(), 1u);
  EXPECT_EQ(host.parses[0].text, Filler(300));
  EXPECT_THAT(host.captions, ElementsAre("Reading!", "Reading"));
}

TEST(ReadCycleArrival, DataLeftInTheBufferIsDrainedByThePollingPass) {
  CycleHost host;
  host.serial.SendAfterOpen(0.5, Filler(10) + "##");
  host.serial.SendAfterOpen(2.5, Filler(10));  // during the pass's two-second pause
  const double took = host.Read();
  EXPECT_NEAR(took, 1.0 + kPass + 1.0, kTolerance);  // one extra one-second pause
  ASSERT_EQ(host.parses.size(), 1u);
  EXPECT_EQ(host.parses[0].text, Filler(10) + "##" + Filler(10));
}

TEST(ReadCycleArrival, WholeRecordsEndThePollingAfterOnePass) {
  const struct {
    std::string text;
    int passes;
  } cases[] = {{Filler(4 + 1039), 1},
               {Filler(4 + 1038), 3},
               {Filler(4 + 2 * 1039), 1},
               {Filler(4), 1},
               {"S" + Filler(3 + 1039), 3}};  // "S": records are unbounded
  for (const auto& c : cases) {
    CycleHost host;
    host.serial.SendAfterOpen(0.5, c.text);
    // The quiet wait ends two seconds after the receive event.
    EXPECT_NEAR(host.Read(), 2.5 + c.passes * kPass, kTolerance) << c.text.size();
    ASSERT_EQ(host.parses.size(), 1u);
    EXPECT_EQ(host.parses[0].text.size(), c.text.size());
  }
}

TEST(ReadCycleCancel, CancelInTheQuietWaitRunsOnePassThenReportsUserCancel) {
  CycleHost host;
  host.type = Ostrel;
  host.keepAlive->Enabled(true);
  host.clock.At(5.0, [&] { host.cancel = true; });

  const double took = host.Read();

  EXPECT_NEAR(took, 5.0 + kPass, kTolerance);
  EXPECT_THAT(host.errors, ElementsAre(UserCancel));
  EXPECT_THAT(host.parses, IsEmpty());
  EXPECT_TRUE(host.keepAlive->Enabled());
  ExpectIdleAfterCycle(host);
}

// An instrument that keeps sending no longer holds a cancelled read: the flag
// is looked at after every pause of the polling phase.
TEST(ReadCycleCancel, CancelWhileTheInstrumentKeepsSendingEndsAtTheNextPause) {
  CycleHost host;
  for (double at = 0.5; at < 25.0; at += 0.5) host.serial.SendAfterOpen(at, Filler(100));
  host.clock.At(6.0, [&] { host.cancel = true; });

  const double took = host.Read();

  EXPECT_LT(took, 6.0 + 2.5);
  EXPECT_THAT(host.errors, ElementsAre(UserCancel));
  EXPECT_THAT(host.parses, IsEmpty());
  ExpectIdleAfterCycle(host);
}

TEST(ReadCycleCancel, CancelLeftFromBeforeTheReadIsCleared) {
  CycleHost host;
  host.cancel = true;
  host.serial.SendAfterOpen(0.5, "##");
  host.Read();
  EXPECT_THAT(host.errors, IsEmpty());
  EXPECT_EQ(host.parses.size(), 1u);
  EXPECT_GE(host.cancelLets, 1);
}

TEST(ReadCycleDispatch, TheTextChoosesTheParser) {
  const struct {
    int32_t type;
    std::string text;
    TransferKind kind;
  } cases[] = {{Ostrel, "S\r00# F\r01#1\rZ\rE\r", TransferKind::Brevane},
               {Brevane, "S0123456789E", TransferKind::Ostrel},
               {Brevane, "P0123456789##", TransferKind::Lorvex},
               {Lorvex, "S\r00# F\rE\r##", TransferKind::Brevane},
               {7, "xyz", TransferKind::Lorvex}};
  for (const auto& c : cases) {
    CycleHost host;
    host.type = c.type;
    host.serial.SendAfterOpen(0.5, c.text);
    host.Read();
    ASSERT_EQ(host.parses.size(), 1u);
    EXPECT_EQ(host.parses[0].kind, c.kind) << c.text;
    EXPECT_EQ(host.parses[0].text, c.text);
  }
}

TEST(ReadCycleRequest, LorvexIsAskedForItsDataTypeOnlyAndTheOthersForNothing) {
  const struct {
    int32_t type;
    int32_t dataType;
    std::string request;
  } cases[] = {{Lorvex, Moisture, std::string("D\0", 2)},
               {Lorvex, Temperature, "D\x01"},
               {Lorvex, Burst, "D\x02"},
               {Lorvex, 3, ""},
               {Lorvex, -1, ""},
               {Brevane, Moisture, ""},
               {Ostrel, Moisture, ""}};
  for (const auto& c : cases) {
    CycleHost host;
    host.type = c.type;
    host.dataType = c.dataType;
    host.serial.SendAfterOpen(0.5, "S0E##");
    host.Read();
    EXPECT_EQ(host.serial.Written(), c.request) << c.type << "/" << c.dataType;
    EXPECT_EQ(host.comm.Handshaking(), c.type == Lorvex ? 0 : 3);  // configured at the start
  }
}

TEST(ReadCycleBrevane, ReadsUntilTheClosingLineEvenWithPausesBetweenParts) {
  CycleHost host;
  host.type = Brevane;
  const std::string parts[] = {"S\r\n00# F\r\n", "01#1\r\n03#ID E\r\nM\r\n", "1.5\r\nE5\r\nV\r\n",
                               "Z\r\nE\r\n"};
  double at = 0.5;
  for (const auto& part : parts) {
    host.serial.SendAfterOpen(at, part);
    at += 1.8;  // longer than a polling pause, shorter than the quiet interval
  }
  const double took = host.Read();
  EXPECT_NEAR(took, 0.5 + 3 * 1.8 + kPass, kTolerance);
  ASSERT_EQ(host.parses.size(), 1u);
  EXPECT_EQ(host.parses[0].kind, TransferKind::Brevane);
  EXPECT_EQ(host.parses[0].text, parts[0] + parts[1] + parts[2] + parts[3]);
}

TEST(ReadCycleBrevane, DoesNotInheritTheMarkerOfAnEarlierLorvexRead) {
  CycleHost host;
  host.serial.SendAfterOpen(0.5, "##");
  host.Read();
  host.serial.Clear();
  host.type = Brevane;
  // With "##" inherited the read would end after the first pause and miss the last part.
  host.serial.SendAfterOpen(0.5, "S\r00# F\r##\r");
  host.serial.SendAfterOpen(2.4, "1.5\r");
  host.serial.SendAfterOpen(4.3, "Z\rE\r");
  host.Read();
  ASSERT_EQ(host.parses.size(), 2u);
  EXPECT_EQ(host.parses[1].text, "S\r00# F\r##\r1.5\rZ\rE\r");
}

TEST(ReadCycleRawData, FileHoldsExactlyTheBytesOfThisRead) {
  CycleHost host;
  host.saveRawData = true;
  host.memoryFiles.files["RawData.dat"] = std::vector<uint8_t>(5000, 'x');
  const std::string bytes("\0\x01\xff\r\n P##", 10);
  host.serial.SendAfterOpen(0.5, bytes);
  host.Read();
  EXPECT_EQ(host.memoryFiles.Content("RawData.dat"), bytes);
  EXPECT_EQ(host.parses.at(0).text, bytes);  // null bytes stay in the text

  host.saveRawData = false;
  host.Read();
  EXPECT_EQ(host.memoryFiles.Content("RawData.dat"), bytes);
}

// A file system whose writes fail with a path error.
class UnwritableFiles : public MemoryFileSystem {
 public:
  void ReplaceContent(const std::string& name, std::span<const uint8_t>) override {
    throw RuntimeError(ErrorNumber::PathFileAccess, "Travimo", "Path/File access error: " + name);
  }
};

TEST(ReadCycleRawData, FailedWriteKeepsTheOldFileAndReportsTheFileError) {
  for (int32_t number : {ErrorNumber::DiskFull, ErrorNumber::PathFileAccess}) {
    CycleHost host;
    UnwritableFiles unwritable;
    if (number == ErrorNumber::DiskFull) {
      host.memoryFiles.failWrites = true;
    } else {
      host.files = &unwritable;
    }
    MemoryFileSystem& files = number == ErrorNumber::DiskFull ? host.memoryFiles : unwritable;
    files.files["RawData.dat"] = {'o', 'l', 'd'};
    host.saveRawData = true;
    host.serial.SendAfterOpen(0.5, "P##");
    host.Read();
    EXPECT_THAT(host.errors, ElementsAre(number));
    EXPECT_EQ(files.Content("RawData.dat"), "old");
    EXPECT_THAT(host.parses, IsEmpty());
    EXPECT_GE(files.closeAllCalls, 1);
    ExpectIdleAfterCycle(host);
  }
}

// A line that drops once the end marker is in has delivered the whole
// transfer: the waiting ends at once and the text is parsed. One that drops
// before the marker fails with 8020, and what arrived is still saved.
TEST(ReadCycleHangUp, EndsTheWaitingAndKeepsWhatArrived) {
  const struct {
    int32_t type;
    std::string text;
    bool whole;
  } cases[] = {
      {Lorvex, "P" + Filler(20) + "##", true},       {Ostrel, "S" + Filler(20) + "E", true},
      {Brevane, "S\r" + Filler(20) + "\rE\r", true}, {Lorvex, "P" + Filler(20) + "#", false},
      {Brevane, "S\r" + Filler(20) + "\rE", false},
  };
  for (const auto& c : cases) {
    CycleHost host;
    host.type = c.type;
    host.saveRawData = true;
    host.memoryFiles.files["RawData.dat"] = {'o', 'l', 'd'};
    host.serial.SendAfterOpen(0.5, c.text);
    host.serial.HangUpAfterOpen(0.8);

    const double took = host.Read();

    EXPECT_NEAR(took, 1.0, kTolerance) << c.text;  // the set-up's pause, then at once
    EXPECT_EQ(host.memoryFiles.Content("RawData.dat"), c.text);
    if (c.whole) {
      EXPECT_THAT(host.errors, IsEmpty()) << c.text;
      ASSERT_EQ(host.parses.size(), 1u);
      EXPECT_EQ(host.parses[0].text, c.text);
    } else {
      EXPECT_THAT(host.errors, ElementsAre(CommError::ReadFailed)) << c.text;
      EXPECT_THAT(host.parses, IsEmpty());
    }
    ExpectIdleAfterCycle(host);
  }
}

// A cut-short read whose bytes cannot be saved either says both; a line that
// drops before anything arrived leaves an earlier raw-data file alone.
TEST(ReadCycleHangUp, CutShortReportsAFailedSaveAndSavesNothingEmpty) {
  for (const std::string text : {"P#", ""}) {
    CycleHost host;
    host.saveRawData = true;
    host.memoryFiles.failWrites = !text.empty();
    host.memoryFiles.files["RawData.dat"] = {'o', 'l', 'd'};
    std::string description;
    host.onError = [&](int32_t) {
      try {
        throw;
      } catch (const RuntimeError& error) {
        description = error.Description();
      }
    };
    if (!text.empty()) host.serial.SendAfterOpen(0.5, text);
    host.serial.HangUpAfterOpen(0.8);

    host.Read();

    EXPECT_THAT(host.errors, ElementsAre(CommError::ReadFailed));
    EXPECT_THAT(description, ::testing::HasSubstr("hung up"));
    EXPECT_EQ(description.find("not saved") != std::string::npos, !text.empty()) << description;
    EXPECT_EQ(host.memoryFiles.Content("RawData.dat"), "old");
    ExpectIdleAfterCycle(host);
  }
}

TEST(ReadCycleErrors, PortThatCannotBeOpenedReportsComportError) {
  CycleHost host;
  host.serial.FailOpen(true);
  host.keepAlive->Enabled(true);
  const double took = host.Read();
  EXPECT_LT(took, 0.05);
  EXPECT_THAT(host.errors, ElementsAre(CommError::PortInvalid));
  EXPECT_THAT(host.parses, IsEmpty());
  EXPECT_TRUE(host.keepAlive->Enabled());
  ExpectIdleAfterCycle(host);
}

TEST(ReadCycleErrors, EveryParserFailureIsReportedByNumber) {
  const struct {
    std::function<void()> fail;
    int32_t number;
  } cases[] = {
      {[] { throw RuntimeError(InvalidOstrelDataError, "Travimo ActiveX", "bad"); },
       InvalidOstrelDataError},
      {[] { throw std::bad_alloc(); }, 7},
      {[] { throw std::out_of_range("index"); }, ErrorNumber::SubscriptOutOfRange},
      {[] { throw std::runtime_error("other"); }, ErrorNumber::InvalidArgument},
  };
  for (const auto& c : cases) {
    CycleHost host;
    host.parser = [&](std::string&, TransferKind) { c.fail(); };
    host.serial.SendAfterOpen(0.5, "P##");
    host.Read();
    EXPECT_THAT(host.errors, ElementsAre(c.number));
    ExpectIdleAfterCycle(host);
  }
}

TEST(ReadCycleErrors, ErrorHandlerThatThrowsDoesNotStopTheCleanup) {
  CycleHost host;
  host.serial.FailOpen(true);
  host.onError = [](int32_t) { throw std::runtime_error("host handler"); };
  host.Read();
  ExpectIdleAfterCycle(host);
}

TEST(ReadCycleReentry, ReadFromInsideAYieldReturnsAtOnceAndTheRunningReadGoesOn) {
  CycleHost host;
  host.serial.SendAfterOpen(0.5, "P");
  host.serial.SendAfterOpen(1.5, "##");
  double nestedTook = -1.0;
  host.clock.At(1.0, [&] {
    const double start = host.clock.MonotonicSeconds();
    host.cycle.AcquireData();
    nestedTook = host.clock.MonotonicSeconds() - start;
  });

  const double took = host.Read();

  EXPECT_EQ(nestedTook, 0.0);
  EXPECT_NEAR(took, 1.5 + kPass, kTolerance);
  EXPECT_EQ(host.serial.OpenCount(), 1);
  EXPECT_EQ(host.serial.Written(), std::string("D\0", 2));
  ASSERT_EQ(host.parses.size(), 1u);
  EXPECT_EQ(host.parses[0].text, "P##");
  EXPECT_THAT(host.errors, IsEmpty());
}

TEST(ReadCycleReentry, ReadFromTheErrorHandlerStartsNoSecondRead) {
  CycleHost host;
  host.serial.FailOpen(true);
  host.onError = [&](int32_t) { host.cycle.AcquireData(); };
  host.Read();
  EXPECT_EQ(host.errors.size(), 1u);
}

TEST(ReadCycleBKWait, WaitsTheGivenSecondsWhileYielding) {
  const struct {
    int32_t seconds;
    double atLeast;
    double atMost;
  } cases[] = {{-5, 0.0, 0.0}, {0, 1e-300, 1e-6}, {3, 3.0, 3.0 + 1e-6}};
  for (const auto& c : cases) {
    CycleHost host;
    const double start = host.clock.MonotonicSeconds();
    host.cycle.BKWait(c.seconds);
    const double took = host.clock.MonotonicSeconds() - start;
    EXPECT_GE(took, c.atLeast) << c.seconds;
    EXPECT_LE(took, c.atMost + 1e-9) << c.seconds;
  }
}

TEST(ReadCycleReceive, OnlyReceiveEventsAppend) {
  CycleHost host;
  host.comm.EOFEnable(true);
  host.serial.SendAfterOpen(0.5, std::string("P\x1a##", 4));
  host.Read();
  ASSERT_EQ(host.parses.size(), 1u);
  EXPECT_EQ(host.parses[0].text, std::string("P\x1a##", 4));
}

}  // namespace
}  // namespace travimo::testing
