#include "acquisition/read_cycle.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "acquisition/deadline.h"
#include "acquisition/end_of_transfer.h"
#include "acquisition/port_configuration.h"
#include <travimo/model/enums.h>
#include <travimo/model/error.h>
#include "support/memory_file_system.h"
#include "support/scripted_serial.h"
#include "support/virtual_host.h"

namespace travimo::testing {
namespace {

using ::testing::HasSubstr;

// A ReadCycleHost without a control: the real MSComm over a scripted line on
// a virtual clock, plain members for the button, frame and flags, and a record
// of every caption, parse and reported error.
class CycleHost : public ReadCycleHost {
 public:
  explicit CycleHost(double startOfDay = 10 * 3600.0) : clock(startOfDay) {
    keepAlive->Interval(30000);
    flash->Interval(200);
    comm.OnComm([this] { cycle.OnComm(); });
  }

  // Runs one cycle and returns how long it took on the virtual clock.
  double Read() {
    const double start = clock.MonotonicSeconds();
    cycle.AcquireData();
    return clock.MonotonicSeconds() - start;
  }

  MSComm& Comm() override { return comm; }
  HostServices& Host() override { return clock; }
  FileSystem& Files() override { return *files; }
  Timer& KeepAliveTimer() override { return *keepAlive; }
  Timer& FlashTimer() override { return *flash; }
  void FrameEnabled(bool enabled) override { frameEnabled = enabled; }
  void ButtonCaption(const std::string& caption) override { captions.push_back(caption); }
  void ButtonBackColor(Colour colour) override { backColour = colour; }
  void ResetFlash() override {}
  int32_t InstrumentType() override { return type; }
  int32_t DataType() override { return dataType; }
  void ConfigurePort() override { travimo::ConfigurePort(comm, type); }
  void LetCancelTransfer(bool value) override { cancel = value; }
  bool CancelRequested() override { return cancel; }
  bool RawDataWanted() override { return saveRawData; }
  std::string RawDataFileName() override { return "RawData.dat"; }
  void ParseReceived(std::string& transfer, TransferKind kind) override {
    parses.emplace_back(kind, transfer);
    if (parser) parser(transfer, kind);
  }
  void RaiseTravimoError(int32_t number) override {
    errors.push_back(number);
    description.clear();  // the handled error's, if it is a RuntimeError
    try {
      if (std::current_exception()) throw;
    } catch (const RuntimeError& error) {
      description = error.Description();
    } catch (...) {
    }
    if (onError) onError(number);
  }

  VirtualHost clock;
  ScriptedSerial serial{clock};
  MSComm comm{clock, serial};
  std::unique_ptr<Timer> keepAlive = clock.CreateTimer([this] { ++keepAliveTicks; });
  std::unique_ptr<Timer> flash = clock.CreateTimer([] {});
  MemoryFileSystem memoryFiles;
  FileSystem* files = &memoryFiles;
  ReadCycle cycle{*this};

  int32_t type = 1, dataType = 0;
  bool cancel = false, saveRawData = false;
  std::function<void(std::string&, TransferKind)> parser;
  std::function<void(int32_t)> onError;

  std::vector<std::string> captions;
  std::vector<std::pair<TransferKind, std::string>> parses;  // each parse's kind and text
  std::vector<int32_t> errors;
  std::string description;
  bool frameEnabled = true;
  Colour backColour = 0;
  int keepAliveTicks = 0;
};

// The one polling pass that every cycle runs, on a 10 ms virtual quantum.
constexpr double kPass = 2.0;

// An earlier read's raw-data file, longer than most transfers here.
const std::string kOld = "the bytes of an earlier and longer read";

// Leaves no stray "#", "E" or "S" that would end or classify a transfer early.
std::string Filler(size_t length) { return std::string(length, '7'); }

// Port closed, frame enabled, no flash or cancel, the face colour, nothing kept.
void ExpectIdleAfterCycle(const CycleHost& host) {
  EXPECT_EQ(std::tuple(host.comm.PortOpen(), host.serial.IsOpen(), host.frameEnabled,
                       host.flash->Enabled(), host.cancel, host.backColour, host.comm.RThreshold(),
                       host.cycle.Transfer(), host.cycle.Running()),
            std::tuple(false, false, true, false, false, kButtonFace, 0, "", false));
}

// How a read ends, by what the instrument sends: pieces at their times and
// perhaps a hang-up or a cancel. A line that drops once the end marker is in
// has delivered the whole transfer and ends the waiting at once; one that
// drops before it fails with 8020, and what arrived is saved all the same. A
// cancel or a port that will not open saves nothing. The keep-alive timer is
// off during the read and ends as it was before. The waits run on the
// monotonic clock: a read just before midnight ends on time.
TEST(ReadCycleOutcome, TheReadEndsWithTheTransfer) {
  const std::string whole = Filler(4 + 1039);
  const struct Case {
    const char* what;
    int32_t type;
    std::vector<std::pair<double, std::string>> sends;
    double took;
    std::vector<int32_t> errors = {};        // none: parsed
    std::vector<std::string> captions = {};  // checked when given
    double hangUpAt = 0;
    double cancelAt = 0;  // before the read when negative
    bool failOpen = false;
  } cases[] = {
      {"Ostrel: silent", Ostrel, {}, 30.0 + 3 * kPass, {}, {"Waiting!", "Reading"}},
      {"Ostrel: the closing E", Ostrel,
       {{0.5, "S" + Filler(99)}, {2.0, Filler(100)}, {3.5, Filler(100)}, {5.0, Filler(99) + "E"}},
       5.0 + kPass, {}, {"Waiting!", "Reading!", "Reading"}},
      // Quiet two seconds after the last burst, then three passes: 300 is no record multiple.
      {"Lorvex: bursts under two seconds apart", Lorvex,
       {{0.5, Filler(100)}, {2.0, Filler(100)}, {3.5, Filler(100)}}, 3.5 + 2.0 + 3 * kPass,
       {}, {"Reading!", "Reading"}},
      // The quiet wait's deadline has passed in the set-up's pause.
      {"Lorvex: nothing at all", Lorvex, {}, 1.0 + 3 * kPass, {}, {"Reading"}},
      {"the pass drains what came during its pause", Lorvex,
       {{0.5, Filler(10) + "##"}, {2.5, Filler(10)}}, 1.0 + kPass + 1.0},
      // The quiet wait ends two seconds after the receive event; whole records need one pass.
      {"one whole record", Lorvex, {{0.5, whole}}, 2.5 + kPass},
      {"a record short", Lorvex, {{0.5, Filler(4 + 1038)}}, 2.5 + 3 * kPass},
      {"two whole records", Lorvex, {{0.5, Filler(4 + 2 * 1039)}}, 2.5 + kPass},
      {"framing alone", Lorvex, {{0.5, Filler(4)}}, 2.5 + kPass},
      // Null bytes stay in the text, and the longer old file is replaced whole.
      {"any bytes", Lorvex, {{0.5, std::string("\0\x01\xff\r\n P##", 10)}}, 1.0 + kPass},
      {"S: records are unbounded", Lorvex, {{0.5, "S" + Filler(3 + 1039)}}, 2.5 + 3 * kPass},
      // Pauses longer than a polling pause, shorter than the quiet interval.
      {"Brevane: the closing line", Brevane,
       {{0.5, "S\r\n00# F\r\n"}, {2.3, "01#1\r\n03#ID E\r\nM\r\n"}, {4.1, "1.5\r\nE5\r\nV\r\n"},
        {5.9, "Z\r\nE\r\n"}},
       0.5 + 3 * 1.8 + kPass},
      // The set-up's pause, then at once.
      {"hang-up after ##", Lorvex, {{0.5, "P" + Filler(20) + "##"}}, 1.0, {}, {}, 0.8},
      {"hang-up after half the marker", Lorvex, {{0.5, "P" + Filler(20) + "#"}}, 1.0,
       {CommError::ReadFailed}, {}, 0.8},
      {"hang-up before the closing CR", Brevane, {{0.5, "S\r" + Filler(20) + "\rE"}}, 1.0,
       {CommError::ReadFailed}, {}, 0.8},
      {"hang-up before anything came", Lorvex, {}, 1.0, {CommError::ReadFailed}, {}, 0.8},
      {"cancel in the quiet wait: one pass", Ostrel, {}, 5.0 + kPass, {UserCancel}, {}, 0, 5.0},
      {"a cancel left from before is cleared", Lorvex, {{0.5, "##"}}, 1.0 + kPass, {}, {}, 0, -1},
      {"a port that will not open", Ostrel, {}, 0.0, {CommError::PortInvalid}, {}, 0, 0, true},
  };
  for (const double startOfDay : {10 * 3600.0, 86399.0}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(c.what);
      CycleHost host(startOfDay);
      host.type = c.type;
      host.saveRawData = true;
      host.memoryFiles.files["RawData.dat"].assign(kOld.begin(), kOld.end());
      host.keepAlive->Enabled(c.type == Ostrel);
      std::string text;
      for (const auto& [at, piece] : c.sends) {
        host.serial.SendAfterOpen(at, piece);
        text += piece;
      }
      if (c.hangUpAt > 0) host.serial.HangUpAfterOpen(c.hangUpAt);
      if (c.cancelAt > 0) host.clock.At(c.cancelAt, [&] { host.cancel = true; });
      host.cancel = c.cancelAt < 0;
      host.serial.FailOpen(c.failOpen);
      bool suspended = false;  // in the set-up's pause
      host.clock.At(0.9, [&] {
        suspended = !host.keepAlive->Enabled() && !host.frameEnabled && host.flash->Enabled() &&
                    host.comm.PortOpen();
      });

      EXPECT_NEAR(host.Read(), c.took, 0.1);
      EXPECT_EQ(std::tuple(suspended, host.keepAliveTicks, host.keepAlive->Enabled(), host.errors),
                std::tuple(!c.failOpen, 0, c.type == Ostrel, c.errors));
      const bool cutShort = c.errors == std::vector<int32_t>{CommError::ReadFailed};
      EXPECT_TRUE(!cutShort || host.description.find("hung up") != std::string::npos);
      const bool saved = c.errors.empty() || (cutShort && !text.empty());
      EXPECT_EQ(host.memoryFiles.Content("RawData.dat"), saved ? text : kOld);
      EXPECT_EQ(host.captions, c.captions.empty() ? host.captions : c.captions);
      std::vector<std::string> parsed;
      for (const auto& parse : host.parses) parsed.push_back(parse.second);
      EXPECT_EQ(parsed, c.errors.empty() ? std::vector{text} : std::vector<std::string>{});
      ExpectIdleAfterCycle(host);
    }
  }
}

// The text chooses the parser; a Lorvex is asked for its data type, if it
// has one, and the others for nothing.
TEST(ReadCycleDispatch, TheTextChoosesTheParserAndOnlyALorvexIsAsked) {
  // Instrument and data type, the text sent, the parser chosen, the request written.
  const std::tuple<int32_t, int32_t, std::string, TransferKind, std::string> cases[] = {
      {Ostrel, Moisture, "", TransferKind::Lorvex, ""},
      {Ostrel, Moisture, "S\r00# F\r01#1\rZ\rE\r", TransferKind::Brevane, ""},
      {Brevane, Moisture, "S0123456789E", TransferKind::Ostrel, ""},
      {Brevane, Moisture, "P0123456789##", TransferKind::Lorvex, ""},
      {Lorvex, Moisture, "S\r00# F\rE\r##", TransferKind::Brevane, std::string("D\0", 2)},
      {7, Moisture, "xyz", TransferKind::Lorvex, ""},
      // Only receive events append: the end-of-file event adds nothing twice.
      {Lorvex, Temperature, std::string("P\x1a##", 4), TransferKind::Lorvex, "D\x01"},
      {Lorvex, Burst, "P##", TransferKind::Lorvex, "D\x02"},
      {Lorvex, 3, "P##", TransferKind::Lorvex, ""},
      {Lorvex, -1, "P##", TransferKind::Lorvex, ""},
  };
  for (const auto& [type, dataType, text, kind, request] : cases) {
    SCOPED_TRACE(text);
    CycleHost host;
    host.type = type;
    host.dataType = dataType;
    host.serial.SendAfterOpen(0.5, text);
    host.Read();
    EXPECT_EQ(host.parses, (std::vector{std::pair(kind, text)}));
    EXPECT_EQ(host.serial.Written(), request);
    EXPECT_EQ(host.comm.Handshaking(), type == Lorvex ? 0 : 3);  // configured at the start
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
  EXPECT_EQ(host.parses.at(1).second, "S\r00# F\r##\r1.5\rZ\rE\r");
}

// A file system whose writes fail with a path error.
class UnwritableFiles : public MemoryFileSystem {
 public:
  void ReplaceContent(const std::string& name, std::span<const uint8_t>) override {
    throw RuntimeError(ErrorNumber::PathFileAccess, "Travimo", "Path/File access error: " + name);
  }
};

// Failures are reported by number. A save that fails keeps the old file; a
// cut-short read whose bytes cannot be saved says both. A host's error
// handler that reads again or throws neither starts a second read nor stops
// the cleanup.
TEST(ReadCycleErrors, EveryFailureIsReportedByNumber) {
  enum Files { kWritable, kDiskFull, kNoAccess };
  // Whether the line hangs up after "P#" (else "P##" comes whole), the files, how the
  // parser fails, and the error reported with what its description says.
  const std::tuple<bool, Files, std::function<void()>, int32_t, const char*> cases[] = {
      {false, kDiskFull, nullptr, ErrorNumber::DiskFull, "Disk full"},
      {false, kNoAccess, nullptr, ErrorNumber::PathFileAccess, "Path/File access"},
      {true, kDiskFull, nullptr, CommError::ReadFailed, "not saved: Disk full"},
      {false, kWritable, [] { throw RuntimeError(InvalidOstrelDataError, "", "bad"); },
       InvalidOstrelDataError, "bad"},
      {false, kWritable, [] { throw std::bad_alloc(); }, 7, ""},
      {false, kWritable, [] { throw std::out_of_range("index"); },
       ErrorNumber::SubscriptOutOfRange, ""},
      {false, kWritable, [] { throw std::runtime_error("other"); }, ErrorNumber::InvalidArgument,
       ""},
  };
  for (const auto& [hangUp, kind, parserFails, number, says] : cases) {
    SCOPED_TRACE(number);
    CycleHost host;
    UnwritableFiles unwritable;
    MemoryFileSystem& files = kind == kNoAccess ? unwritable : host.memoryFiles;
    host.files = &files;
    host.memoryFiles.failWrites = kind == kDiskFull;
    files.files["RawData.dat"].assign(kOld.begin(), kOld.end());
    host.saveRawData = kind != kWritable;
    host.serial.SendAfterOpen(0.5, hangUp ? "P#" : "P##");
    if (hangUp) host.serial.HangUpAfterOpen(0.8);
    if (parserFails) host.parser = [&](std::string&, TransferKind) { parserFails(); };
    host.onError = [&](int32_t) {
      host.cycle.AcquireData();
      throw std::runtime_error("host handler");
    };
    host.Read();
    EXPECT_THAT(host.description, HasSubstr(says));
    EXPECT_EQ(std::tuple(host.errors, files.Content("RawData.dat"), host.parses.size(),
                         host.serial.OpenCount()),
              std::tuple(std::vector{number}, kOld, parserFails ? 1u : 0u, 1));
    EXPECT_GE(files.closeAllCalls, 1);
    ExpectIdleAfterCycle(host);
  }
}

TEST(ReadCycleBKWait, WaitsTheGivenSecondsWhileYielding) {
  for (const auto& [seconds, atLeast, atMost] :
       {std::tuple{-5, 0.0, 0.0}, {0, 1e-300, 1e-6}, {3, 3.0, 3.0 + 1e-6}}) {
    CycleHost host;
    host.cycle.BKWait(seconds);  // the clock starts at 0
    EXPECT_GE(host.clock.MonotonicSeconds(), atLeast) << seconds;
    EXPECT_LE(host.clock.MonotonicSeconds(), atMost + 1e-9) << seconds;
  }
}

// One rule for every case, each setting its own and feeding the pieces as
// receive events do, twice with a restart before each: what was found or
// searched before is forgotten. Seen: whether the end was found after each.
TEST(EndOfTransfer, MarkersAndTheBrevaneClosingLineAcrossPieces) {
  // The marker set (none: the rule as it was), the Brevane closing line, the pieces, and seen.
  const std::tuple<const char*, bool, std::vector<std::string>, std::string> cases[] = {
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
  for (const auto& [marker, brevane, pieces, expected] : cases) {
    if (brevane) rule.BrevaneClosingLine();
    if (marker) rule.Marker(marker);
    for (int run = 0; run < 2; ++run) {
      rule.Restart();
      std::string text, seen;
      for (const auto& piece : pieces) seen += rule.Found(text += piece) ? '1' : '0';
      EXPECT_EQ(seen, expected) << pieces.front() << " run " << run;
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
}  // namespace travimo::testing
