#include "platform/posix/termios_serial.h"

#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "model/error.h"
#include "platform/ms_comm.h"
#include "platform/posix/posix_host.h"
#include "support/process_usage.h"

namespace travimo::posix {
namespace {

// A pseudo-terminal pair: the backend opens the slave by name, the test plays
// the instrument on the master.
class PtyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fdsBefore_ = testing::OpenDescriptors();
    char name[256] = {};
    ASSERT_EQ(openpty(&master_, &slave_, name, nullptr, nullptr), 0);
    slaveName_ = name;
    fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
  }
  void TearDown() override {
    if (master_ >= 0) close(master_);
    if (slave_ >= 0) close(slave_);
    EXPECT_EQ(testing::OpenDescriptors(), fdsBefore_) << "a descriptor was left open";
  }

  TermiosBackend Backend() {
    return TermiosBackend([this](int16_t port) {
      return port == 5 ? slaveName_ : "/dev/travimo-missing-" + std::to_string(port);
    });
  }

  std::string ReadMaster(size_t wanted) {
    std::string got;
    for (int tries = 0; tries < 200 && got.size() < wanted; ++tries) {
      pollfd probe{master_, POLLIN, 0};
      poll(&probe, 1, 10);
      char buffer[256];
      const ssize_t n = read(master_, buffer, sizeof buffer);
      if (n > 0) got.append(buffer, static_cast<size_t>(n));
    }
    return got;
  }

  void WriteMaster(const std::string& bytes) {
    ASSERT_EQ(write(master_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  }

  void CloseMaster() {
    close(master_);
    master_ = -1;
  }

  int master_ = -1;
  int slave_ = -1;
  std::string slaveName_;
  int fdsBefore_ = 0;
};

std::string ReadAll(SerialConnection& connection, size_t wanted) {
  std::string got;
  std::vector<uint8_t> buffer(64);
  for (int tries = 0; tries < 200 && got.size() < wanted; ++tries) {
    pollfd probe{connection.PollDescriptor(), POLLIN, 0};
    poll(&probe, 1, 10);
    const ReadOutcome outcome = connection.Read(buffer);
    got.append(buffer.begin(), buffer.begin() + static_cast<ptrdiff_t>(outcome.count));
    if (outcome.hungUp) break;
  }
  return got;
}

TEST_F(PtyTest, MovesEveryByteValueBothWays) {
  auto backend = Backend();
  auto connection = backend.Open(5, PortOptions{});
  std::string all(256, '\0');
  for (int i = 0; i < 256; ++i) all[i] = static_cast<char>(i);

  connection->Write(std::span(reinterpret_cast<const uint8_t*>(all.data()), all.size()));
  EXPECT_EQ(ReadMaster(all.size()), all);
  WriteMaster(all);
  EXPECT_EQ(ReadAll(*connection, all.size()), all);
}

struct LineCase {
  PortOptions options;
  speed_t speed;
  tcflag_t size;
  tcflag_t parity;
  bool twoStops;
};

const std::vector<LineCase>& LineCases() {
  static const std::vector<LineCase> cases = {
      {{{9600, 'n', 8, 10}, 0}, B9600, CS8, 0, false},
      {{{19200, 'e', 7, 20}, 2}, B19200, CS7, PARENB, true},
      {{{1200, 'o', 5, 15}, 1}, B1200, CS5, PARENB | PARODD, true},
      {{{115200, 'm', 6, 10}, 3}, B115200, CS6, PARENB | PARODD | CMSPAR, false},
      {{{300, 's', 8, 10}, 0}, B300, CS8, PARENB | CMSPAR, false},
  };
  return cases;
}

TEST(LineOptionsTest, TranslateToTermiosFlags) {
  for (const auto& c : LineCases()) {
    termios tty{};
    ApplyLineOptions(tty, c.options);
    const std::string label = FormatLineSettings(c.options.line);
    EXPECT_EQ(tty.c_cflag & CSIZE, c.size) << label;
    EXPECT_EQ(tty.c_cflag & (PARENB | PARODD | CMSPAR), c.parity) << label;
    EXPECT_EQ((tty.c_iflag & (INPCK | PARMRK)) != 0, c.options.line.parity != 'n') << label;
    EXPECT_EQ((tty.c_cflag & CSTOPB) != 0, c.twoStops) << label;
    EXPECT_NE(tty.c_cflag & CREAD, 0u) << label;
    EXPECT_EQ(tty.c_lflag & (ICANON | ECHO | ISIG), 0u) << "raw mode";
  }
}

// A pseudo-terminal forces eight data bits without parity, so only the speed,
// stop bits, parity checking and flow control can be read back from one.
TEST_F(PtyTest, OpenAppliesTheSettingsToTheDevice) {
  auto backend = Backend();
  for (const auto& c : LineCases()) {
    auto connection = backend.Open(5, c.options);
    termios tty{};
    ASSERT_EQ(tcgetattr(slave_, &tty), 0);
    const std::string label = FormatLineSettings(c.options.line);
    EXPECT_EQ(cfgetispeed(&tty), c.speed) << label;
    EXPECT_EQ(cfgetospeed(&tty), c.speed) << label;
    EXPECT_EQ((tty.c_cflag & CSTOPB) != 0, c.twoStops) << label;
    EXPECT_EQ((tty.c_iflag & INPCK) != 0, c.options.line.parity != 'n') << label;
    const int hs = c.options.handshaking;
    EXPECT_EQ((tty.c_iflag & IXON) != 0, hs == 1 || hs == 3) << label;
    EXPECT_EQ((tty.c_cflag & CRTSCTS) != 0, hs == 2 || hs == 3) << label;
    EXPECT_EQ(tty.c_lflag & (ICANON | ECHO), 0u) << "raw mode";
  }
  PortOptions custom;
  custom.line.baud = 31250;
  EXPECT_NO_THROW(backend.Open(5, custom)) << "a rate without a B constant";
}

TEST_F(PtyTest, ParityMarkingDoesNotAlterGoodBytes) {
  auto backend = Backend();
  PortOptions options;
  options.line = {9600, 'e', 8, 10};
  auto connection = backend.Open(5, options);
  const std::string bytes("\x00\xff\x41\xff", 4);
  WriteMaster(bytes);
  EXPECT_EQ(ReadAll(*connection, bytes.size()), bytes);
}

TEST_F(PtyTest, MissingBusyOrUnsupportedIsPortError) {
  auto backend = Backend();
  const auto openError = [&](int16_t port, PortOptions options = {}) {
    try {
      backend.Open(port, options);
    } catch (const RuntimeError& error) {
      return error;
    }
    return RuntimeError(0);
  };
  PortOptions fourBits;
  fourBits.line.dataBits = 4;
  const RuntimeError unsupported = openError(5, fourBits);
  EXPECT_EQ(unsupported.Number(), CommError::PortInvalid);
  EXPECT_NE(unsupported.Description().find("4 data bits"), std::string::npos);

  const RuntimeError missing = openError(7);
  EXPECT_EQ(missing.Number(), CommError::PortInvalid);
  EXPECT_NE(missing.Description().find("/dev/travimo-missing-7"), std::string::npos);

  auto holder = backend.Open(5, PortOptions{});
  const RuntimeError busy = openError(5);
  EXPECT_EQ(busy.Number(), CommError::PortInvalid);
  EXPECT_NE(busy.Description().find(slaveName_), std::string::npos);
  holder.reset();
  EXPECT_NO_THROW(backend.Open(5, PortOptions{})) << "closing releases the port";
}

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The lock file of terminal programs: a live holder keeps us off the port
// and is named; a dead holder's lock is cleared; ours names our pid and goes
// when the port closes, and when an open fails after it was taken.
TEST_F(PtyTest, LockFileOfTerminalProgramsIsHonouredTakenAndRemoved) {
  char pattern[] = "/tmp/travimo-lock-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const std::string directory = pattern;
  const std::string notATty = directory + "/not-a-tty";
  std::ofstream(notATty) << "plain file";
  TermiosBackend backend([&](int16_t port) { return port == 5 ? slaveName_ : notATty; }, directory);
  const std::string lockFile = directory + "/" + LockFileName(slaveName_);
  const auto writeLock = [&](pid_t pid) {
    std::ofstream(lockFile) << std::setw(10) << pid << '\n';
  };

  const pid_t holder = fork();
  ASSERT_GE(holder, 0);
  if (holder == 0) {
    pause();
    _exit(0);
  }
  writeLock(holder);
  try {
    backend.Open(5, PortOptions{});
    ADD_FAILURE() << "opened a port another process has locked";
  } catch (const RuntimeError& error) {
    EXPECT_EQ(error.Number(), CommError::PortInvalid);
    EXPECT_THAT(error.Description(),
                ::testing::HasSubstr("in use by process " + std::to_string(holder)));
  }
  kill(holder, SIGKILL);
  waitpid(holder, nullptr, 0);  // the lock is stale now

  {
    auto connection = backend.Open(5, PortOptions{});
    std::ostringstream ours;
    ours << std::setw(10) << getpid() << '\n';
    EXPECT_EQ(ReadText(lockFile), ours.str());
    EXPECT_THROW(backend.Open(5, PortOptions{}), RuntimeError);
  }
  EXPECT_FALSE(std::filesystem::exists(lockFile)) << "closing removes our lock";

  EXPECT_THROW(backend.Open(6, PortOptions{}), RuntimeError);  // not a serial device
  EXPECT_FALSE(std::filesystem::exists(directory + "/" + LockFileName(notATty)));
  std::filesystem::remove_all(directory);
}

TEST_F(PtyTest, QuietLineStaysOpenUntilDataArrives) {
  auto backend = Backend();
  PosixHost host;
  MSComm comm(host, backend);
  comm.CommPort(5);
  comm.PortOpen(true);
  for (int i = 0; i < 5; ++i) {
    host.Yield();
    EXPECT_EQ(comm.InBufferCount(), 0) << "an empty read is no hang-up";
  }
  WriteMaster("late");
  std::string received;
  const double giveUp = host.MonotonicSeconds() + 3.0;
  while (received.size() < 4 && host.MonotonicSeconds() < giveUp) {
    host.YieldUntil(giveUp);
    received += comm.Input();
  }
  EXPECT_EQ(received, "late");
}

TEST_F(PtyTest, FarEndClosingEndsTheReadWithAnError) {
  auto backend = Backend();
  PosixHost host;
  {
    MSComm comm(host, backend);
    comm.CommPort(5);
    comm.PortOpen(true);
    WriteMaster("abc");
    CloseMaster();
    close(slave_);  // the last other holder, so the line really hangs up
    slave_ = -1;

    std::string received;
    int32_t error = 0;
    const double giveUp = host.MonotonicSeconds() + 3.0;
    while (error == 0 && host.MonotonicSeconds() < giveUp) {
      host.YieldUntil(giveUp);
      try {
        if (comm.InBufferCount() > 0) received += comm.Input();
      } catch (const RuntimeError& failure) {
        error = failure.Number();
        EXPECT_NE(failure.Description().find(slaveName_), std::string::npos);
      }
    }
    EXPECT_EQ(error, CommError::ReadFailed);
    EXPECT_TRUE(received.empty() || received == "abc") << received;
    EXPECT_TRUE(comm.PortOpen()) << "open until the control closes it";
  }
}

}  // namespace
}  // namespace travimo::posix
