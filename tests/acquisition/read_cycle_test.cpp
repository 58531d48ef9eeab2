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

// When a read ends, by what the instrument sends: pieces at their times and
// perhaps a hang-up. A line that drops once the end marker is in has
// delivered the whole transfer and ends the waiting at once; one that drops
// before it fails with 8020. Either way what arrived is saved.
TEST(ReadCycleArrival, TheReadEndsWithTheTransfer) {
  const std::string whole = Filler(4 + 1039);
  const struct Case {
    const char* what;
    int32_t type;
    std::vector<std::pair<double, std::string>> sends;
    double took;
    bool parsed = true;  // otherwise a read failure
    double hangUpAt = 0;
    std::vector<std::string> captions = {};  // checked when given
  } cases[] = {
      {"Ostrel: the closing E", Ostrel,
       {{0.5, "S" + Filler(99)}, {2.0, Filler(100)}, {3.5, Filler(100)}, {5.0, Filler(99) + "E"}},
       5.0 + kPass, true, 0, {"Waiting!", "Reading!", "Reading"}},
      // Quiet two seconds after the last burst, then three passes: 300 is no record multiple.
      {"Lorvex: bursts under two seconds apart", Lorvex,
       {{0.5, Filler(100)}, {2.0, Filler(100)}, {3.5, Filler(100)}}, 3.5 + 2.0 + 3 * kPass,
       true, 0, {"Reading!", "Reading"}},
      {"the pass drains what came during its pause", Lorvex,
       {{0.5, Filler(10) + "##"}, {2.5, Filler(10)}}, 1.0 + kPass + 1.0},
      // The quiet wait ends two seconds after the receive event; whole records need one pass.
      {"one whole record", Lorvex, {{0.5, whole}}, 2.5 + kPass},
      {"a record short", Lorvex, {{0.5, Filler(4 + 1038)}}, 2.5 + 3 * kPass},
      {"two whole records", Lorvex, {{0.5, Filler(4 + 2 * 1039)}}, 2.5 + kPass},
      {"framing alone", Lorvex, {{0.5, Filler(4)}}, 2.5 + kPass},
      {"S: records are unbounded", Lorvex, {{0.5, "S" + Filler(3 + 1039)}}, 2.5 + 3 * kPass},
      // Pauses longer than a polling pause, shorter than the quiet interval.
      {"Brevane: the closing line", Brevane,
       {{0.5, "S\r\n00# F\r\n"}, {2.3, "01#1\r\n03#ID E\r\nM\r\n"}, {4.1, "1.5\r\nE5\r\nV\r\n"},
        {5.9, "Z\r\nE\r\n"}},
       0.5 + 3 * 1.8 + kPass},
      // The set-up's pause, then at once.
      {"hang-up after ##", Lorvex, {{0.5, "P" + Filler(20) + "##"}}, 1.0, true, 0.8},
      {"hang-up after E", Ostrel, {{0.5, "S" + Filler(20) + "E"}}, 1.0, true, 0.8},
      {"hang-up after the closing line", Brevane, {{0.5, "S\r" + Filler(20) + "\rE\r"}}, 1.0,
       true, 0.8},
      {"hang-up after half the marker", Lorvex, {{0.5, "P" + Filler(20) + "#"}}, 1.0, false, 0.8},
      {"hang-up before the closing CR", Brevane, {{0.5, "S\r" + Filler(20) + "\rE"}}, 1.0, false,
       0.8},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    CycleHost host;
    host.type = c.type;
    host.saveRawData = true;
    std::string text;
    for (const auto& [at, piece] : c.sends) {
      host.serial.SendAfterOpen(at, piece);
      text += piece;
    }
    if (c.hangUpAt > 0) host.serial.HangUpAfterOpen(c.hangUpAt);

    EXPECT_NEAR(host.Read(), c.took, kTolerance);
    EXPECT_EQ(host.memoryFiles.Content("RawData.dat"), text);
    if (!c.captions.empty()) {
      EXPECT_EQ(host.captions, c.captions);
    }
    if (c.parsed) {
      EXPECT_THAT(host.errors, IsEmpty());
      ASSERT_EQ(host.parses.size(), 1u);
      EXPECT_EQ(host.parses[0].text, text);
    } else {
      EXPECT_THAT(host.errors, ElementsAre(CommError::ReadFailed));
      EXPECT_THAT(host.parses, IsEmpty());
    }
    ExpectIdleAfterCycle(host);
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
