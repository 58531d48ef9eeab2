#include "platform/posix/termios_serial.h"

#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <travimo/model/error.h>
#include <travimo/platform/ms_comm.h>
#include <travimo/platform/posix/posix_host.h>
#include "platform/posix/trace_file.h"
#include <travimo/platform/serial_trace.h>
#include "support/caught_error.h"
#include "support/cpu_meter.h"
#include "support/process_usage.h"
#include "support/scratch_dir.h"

namespace travimo::posix {
namespace {

using ::testing::HasSubstr;
using travimo::testing::CaughtError;

// Up to `wanted` bytes that `read`, or a plain read of the non-blocking `fd`,
// takes within two seconds.
std::string Collect(int fd, size_t wanted, std::function<size_t(std::span<uint8_t>)> read = {}) {
  std::string got;
  for (int tries = 0; tries < 200 && got.size() < wanted; ++tries) {
    pollfd probe{fd, POLLIN, 0};
    ::poll(&probe, 1, 10);
    uint8_t buffer[256];
    got.append(buffer, buffer + (read ? read(buffer)
                                      : std::max<ssize_t>(::read(fd, buffer, sizeof buffer), 0)));
  }
  return got;
}

// The backend opens the slave of a pseudo-terminal by name; the test plays
// the instrument on the master.
struct PtyTest : ::testing::Test {
  void SetUp() override {
    char name[256] = {};
    ASSERT_EQ(::openpty(&master_, &slave_, name, nullptr, nullptr), 0);
    name_ = name;
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
  }
  void TearDown() override {
    HangUp();
    EXPECT_EQ(testing::OpenDescriptors(), fdsBefore_) << "a descriptor was left open";
  }

  TermiosBackend Backend() {
    return TermiosBackend([this](int16_t port) {
      return port == 5 ? name_ : "/dev/travimo-missing-" + std::to_string(port);
    });
  }
  void Send(const std::string& bytes) {
    ASSERT_EQ(::write(master_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  }
  // Closes both of our ends, so the line really hangs up for its last holder.
  void HangUp() {
    for (int* fd : {&master_, &slave_})
      if (*fd >= 0) ::close(std::exchange(*fd, -1));
  }

  const long fdsBefore_ = testing::OpenDescriptors();
  int master_ = -1;
  int slave_ = -1;
  std::string name_;
};

// A pseudo-terminal forces eight data bits without parity, so only the speed,
// stop bits, parity checking and flow control can be read back from one.
// Parity checking marks errors in the stream; good bytes, 0xFF too, pass as they are.
TEST_F(PtyTest, LineOptionsReachTheDeviceAndEveryByteValueMovesBothWays) {
  std::string all(256, '\0');
  for (int i = 0; i < 256; ++i) all[i] = static_cast<char>(i);
  const struct {
    PortOptions options;
    speed_t speed;
    tcflag_t sizeAndParity;  // as set, not as a pseudo-terminal keeps them
    tcflag_t control;        // stop bits and hardware flow control
    tcflag_t input;          // parity checking and XON/XOFF
  } cases[] = {
      {{{9600, 'n', 8, 10}, 0}, B9600, CS8, 0, 0},
      {{{19200, 'e', 7, 20}, 2}, B19200, CS7 | PARENB, CSTOPB | CRTSCTS, INPCK},
      {{{1200, 'o', 5, 15}, 1}, B1200, CS5 | PARENB | PARODD, CSTOPB, INPCK | IXON},
      {{{115200, 'm', 6, 10}, 3}, B115200, CS6 | PARENB | PARODD | CMSPAR, CRTSCTS, INPCK | IXON},
      {{{300, 's', 8, 10}, 0}, B300, CS8 | PARENB | CMSPAR, 0, INPCK},
  };
  auto backend = Backend();
  for (const auto& c : cases) {
    SCOPED_TRACE(FormatLineSettings(c.options.line));
    termios tty{};
    ApplyLineOptions(tty, c.options);
    EXPECT_EQ(tty.c_cflag & (CSIZE | PARENB | PARODD | CMSPAR), c.sizeAndParity);
    EXPECT_EQ((tty.c_iflag & (INPCK | PARMRK)) != 0, c.options.line.parity != 'n');
    EXPECT_NE(tty.c_cflag & CREAD, 0u);

    auto connection = backend.Open(5, c.options);
    ASSERT_EQ(tcgetattr(slave_, &tty), 0);
    EXPECT_EQ(std::tuple(cfgetispeed(&tty), cfgetospeed(&tty), tty.c_cflag & (CSTOPB | CRTSCTS),
                         tty.c_iflag & (INPCK | IXON), tty.c_lflag & (ICANON | ECHO | ISIG)),
              std::tuple(c.speed, c.speed, c.control, c.input, 0u));  // raw mode
    if (c.input & IXON) continue;  // XON/XOFF takes two byte values
    connection->Write(std::span(reinterpret_cast<const uint8_t*>(all.data()), all.size()));
    EXPECT_EQ(Collect(master_, all.size()), all) << "what the instrument received";
    Send(all);
    EXPECT_EQ(Collect(connection->PollDescriptor(), all.size(),
                      [&](std::span<uint8_t> into) { return connection->Read(into).count; }),
              all);
  }
  EXPECT_NO_THROW(backend.Open(5, {{31250, 'n', 8, 10}})) << "a rate without a B constant";
}

// Every refusal is 8002 saying why. The lock file of terminal programs: a
// live holder keeps us off the port and is named; a dead holder's lock is
// cleared; ours names our pid and goes when the port closes, and when an open
// fails after it was taken.
TEST_F(PtyTest, OpenRefusesWhatIsNoTerminalUnsupportedOrInUseAndKeepsTheLockFile) {
  const testing::ScratchDir locks;
  const std::string notATty = locks / "not-a-tty";
  std::ofstream(notATty) << "plain file";
  TermiosBackend backend([&](int16_t port) { return port == 5 ? name_ : notATty; }, locks.Path());
  const auto expectRefusal = [&](int16_t port, const PortOptions& options, std::string why) {
    const RuntimeError error = CaughtError([&] { backend.Open(port, options); });
    EXPECT_EQ(error.Number(), CommError::PortInvalid);
    EXPECT_THAT(error.Description(), HasSubstr(why));
  };
  const std::string lockFile = locks / LockFileName(name_);
  const auto lockText = [](pid_t pid) {
    return std::string(10 - std::to_string(pid).size(), ' ') + std::to_string(pid) + '\n';
  };
  expectRefusal(5, {{9600, 'n', 4, 10}}, "4 data bits");
  expectRefusal(6, {}, notATty);
  EXPECT_FALSE(std::filesystem::exists(locks / LockFileName(notATty)));

  const pid_t holder = fork();
  if (holder == 0) for (;;) pause();  // until killed
  ASSERT_GT(holder, 0);
  std::ofstream(lockFile) << lockText(holder);
  expectRefusal(5, {}, "in use by process " + std::to_string(holder));
  kill(holder, SIGKILL);
  waitpid(holder, nullptr, 0);  // the lock is stale now
  {
    auto connection = backend.Open(5, PortOptions{});
    EXPECT_EQ(testing::ContentOf(lockFile), lockText(getpid()));
    expectRefusal(5, {}, name_);
    TermiosBackend withoutLocks([&](int16_t) { return name_; }, "");
    EXPECT_THROW(withoutLocks.Open(5, PortOptions{}), RuntimeError) << "exclusive all the same";
  }
  EXPECT_FALSE(std::filesystem::exists(lockFile)) << "closing removes our lock";
  EXPECT_NO_THROW(backend.Open(5, PortOptions{})) << "closing releases the port";
}

// Through the control's port object on the real host, traced: data may come
// late; the far end closing fails the read
// with the device named, and the port stays open until the control closes it.
// The trace hands every byte on unchanged and records each event with a
// stamp in monotonic seconds since the trace began.
TEST_F(PtyTest, APortWaitsForLateDataFailsOnAHangUpAndIsTracedUnchanged) {
  const testing::ScratchDir dir;
  auto termios = Backend();
  std::string received;
  {
    TraceFile file(dir / "serial.trace");
    TracingBackend backend(termios, &file);
    PosixHost host;
    MSComm comm(host, backend);
    comm.CommPort(7);
    comm.Handshaking(3);
    comm.DTREnable(true);
    EXPECT_THROW(comm.PortOpen(true), RuntimeError);
    comm.CommPort(5);
    comm.PortOpen(true);
    const auto takeUntil = [&](size_t wanted) {
      const double giveUp = host.MonotonicSeconds() + 3.0;
      while (received.size() < wanted && host.MonotonicSeconds() < giveUp) {
        host.YieldUntil(giveUp);
        if (comm.InBufferCount() > 0) received += comm.Input();
      }
    };
    comm.Output(std::string("D\0", 2));
    Send("AB\xff\x01");
    takeUntil(4);
    EXPECT_EQ(received, "AB\xff\x01");
    comm.DTREnable(false);
    comm.RTSEnable(true);
    Send("abc");
    HangUp();  // the last other holder, so the line really hangs up
    const RuntimeError error = CaughtError([&] { takeUntil(SIZE_MAX); });
    EXPECT_EQ(error.Number(), CommError::ReadFailed);
    EXPECT_THAT(error.Description(), HasSubstr(name_));
    EXPECT_TRUE(comm.PortOpen()) << "open until the control closes it";
  }
  EXPECT_TRUE(received == "AB\xff\x01" || received == "AB\xff\x01" "abc") << received;
  const std::string text = testing::ContentOf(dir / "serial.trace");
  size_t at = 0;
  for (const std::string& piece : std::vector<std::string>{
           "trace started", "open COM7", "error 8002: Cannot open COM7",
           "open COM5 settings 9600,n,8,1 handshaking 3 (RTS/CTS and XON/XOFF) DTR on RTS off",
           "opened " + name_, "write 2 bytes", " 44 00 ", "|D.|", "read 4 bytes", " 41 42 ff 01 ",
           "|AB..|", "modem lines DTR off RTS on", "hang-up: ", "close " + name_}) {
    at = text.find(piece, at);
    ASSERT_NE(at, std::string::npos) << "missing, or out of order: \"" << piece << "\" in\n"
                                     << text;
  }
  std::istringstream lines(text);
  double previous = -1;
  for (std::string line; std::getline(lines, line);) {
    if (line.find_first_not_of(' ') >= 11) continue;  // a row of bytes
    const double stamp = std::stod(line);
    EXPECT_GE(stamp, previous) << line;
    previous = stamp;
  }
}

// The host itself: what ends a yield.
struct PipeSource : IoSource {
  PipeSource() { EXPECT_EQ(pipe(fds), 0); }
  ~PipeSource() override { for (const int fd : fds) close(fd); }
  int PollDescriptor() const override { return fds[0]; }
  void Service() override { ++serviced; }
  void MakeReadable() { ASSERT_EQ(write(fds[1], "x", 1), 1); }

  int fds[2] = {-1, -1};
  int serviced = 0;
};

// A yield that nothing ends sleeps to its deadline without using the processor;
// data, a due timer or a signal end it early. Data left waiting ends every
// yield at once. Each yield is one pass that services the sources.
TEST(PosixHostTest, AYieldSleepsUntilSomethingHappensOrItsTime) {
  struct Rig {
    PosixHost host;
    PipeSource pipe;
    SourceRegistration registration = host.AddSource(pipe);
    std::unique_ptr<Timer> timer;
    std::jthread writer;
  };
  const struct {
    const char* what;
    double wait;
    int yields;
    std::function<void(Rig&)> arrange;
  } cases[] = {
      {"nothing", 0.3, 1, [](Rig&) {}},
      {"data", 5.0, 100,
       [](Rig& rig) {
         rig.writer = std::jthread([&rig] {
           std::this_thread::sleep_for(std::chrono::milliseconds(50));
           rig.pipe.MakeReadable();
         });
       }},
      {"a timer", 5.0, 1,
       [](Rig& rig) {
         rig.timer = rig.host.CreateTimer([] {});
         rig.timer->Interval(50);
         rig.timer->Enabled(true);
       }},
      {"a signal", 5.0, 1,
       [](Rig&) {
         const itimerval in50ms{{0, 0}, {0, 50000}};
         setitimer(ITIMER_REAL, &in50ms, nullptr);
       }},
  };
  const auto previous = std::signal(SIGALRM, [](int) {});  // interrupts the wait, ends nothing
  for (const auto& c : cases) {
    Rig rig;
    const travimo::testing::CpuMeter meter;
    const double until = rig.host.MonotonicSeconds() + c.wait;
    c.arrange(rig);
    for (int i = 0; i < c.yields; ++i) rig.host.YieldUntil(until);
    EXPECT_EQ(rig.pipe.serviced, c.yields) << c.what;
    const double woke = rig.host.MonotonicSeconds();
    if (c.wait < 1.0) {
      EXPECT_GE(woke, until) << c.what << ": never before its time";
      EXPECT_LT(meter.CpuSeconds(), 0.05 * meter.WallSeconds()) << c.what;
    } else {
      EXPECT_LT(woke, until - 3.0) << c.what << " ends the sleep";
    }
  }
  std::signal(SIGALRM, previous);
}

TEST(PosixHostTest, TextKeepsEveryByteAndRegionalSettingsComeFromTheLocale) {
  const uint8_t bytes[] = {0x00, 0x41, 0xE9, 0xFF};
  PosixHost host;
  EXPECT_EQ(host.BytesToText(bytes), std::string("\x00\x41\xE9\xFF", 4));
  // A host's own message box (the Python module warns instead) answers for it.
  host.OnMessageBox([](const MessageBoxRequest&) { return MessageBoxResult::No; });
  EXPECT_EQ(host.ShowMessageBox({"Go?", "", MessageBoxIcon::None, MessageBoxButtons::YesNo}),
            MessageBoxResult::No);
  const RegionalSettings c = RegionalSettingsOf("C");
  EXPECT_EQ(c, (RegionalSettings{DateOrder::MonthDayYear, ".", ",", "AM", "PM", 29}));
  EXPECT_EQ(RegionalSettingsOf("no_SUCH.locale"), c) << "an unknown locale falls back to C";
}

}  // namespace
}  // namespace travimo::posix
