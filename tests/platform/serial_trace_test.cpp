#include "platform/serial_trace.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "model/error.h"
#include "platform/posix/termios_serial.h"
#include "platform/posix/trace_file.h"

namespace travimo {
namespace {

namespace fs = std::filesystem;

class TraceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/travimo-trace-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    path_ = (dir_ / "serial.trace").string();
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string Trace() const {
    std::ifstream in(path_);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

  fs::path dir_;
  std::string path_;
};

// Each expected piece must follow the one before it.
void ExpectInOrder(const std::string& text, const std::vector<std::string>& pieces) {
  size_t at = 0;
  for (const auto& piece : pieces) {
    const size_t found = text.find(piece, at);
    ASSERT_NE(found, std::string::npos) << "missing, or out of order: \"" << piece << "\" in\n"
                                        << text;
    at = found + piece.size();
  }
}

TEST_F(TraceTest, RecordsALineFromOpenToHangUpWithoutChangingIt) {
  int master = -1;
  int slave = -1;
  char name[256] = {};
  ASSERT_EQ(openpty(&master, &slave, name, nullptr, nullptr), 0);
  const std::string device = name;
  posix::TermiosBackend termios([&](int16_t port) {
    return port == 5 ? device : "/dev/travimo-missing-" + std::to_string(port);
  });
  {
    posix::TraceFile file(path_);
    TracingBackend backend(termios, &file);
    EXPECT_THROW(backend.Open(7, PortOptions{}), RuntimeError);

    PortOptions options;
    options.handshaking = 3;
    auto connection = backend.Open(5, options);
    const std::vector<uint8_t> request = {'D', 0x00};
    connection->Write(request);
    const std::string answer = "AB\xff\x01";
    ASSERT_EQ(write(master, answer.data(), answer.size()), 4);
    std::vector<uint8_t> buffer(64);
    std::string got;
    for (int tries = 0; tries < 200 && got.size() < answer.size(); ++tries) {
      pollfd probe{connection->PollDescriptor(), POLLIN, 0};
      poll(&probe, 1, 10);
      const ReadOutcome outcome = connection->Read(buffer);
      got.append(buffer.begin(), buffer.begin() + static_cast<ptrdiff_t>(outcome.count));
    }
    EXPECT_EQ(got, answer) << "the trace must hand the bytes on unchanged";
    connection->SetModemLines(false, true);
    close(slave);
    close(master);
    ReadOutcome outcome;
    for (int tries = 0; tries < 200 && !outcome.hungUp; ++tries) outcome = connection->Read(buffer);
    EXPECT_TRUE(outcome.hungUp);
  }
  const std::string text = Trace();
  ExpectInOrder(text, {"trace started", "open COM7", "error 8002: Cannot open COM7",
                       "open COM5 settings 9600,n,8,1 handshaking 3 (RTS/CTS and XON/XOFF) "
                       "DTR on RTS off",
                       "opened " + device, "write 2 bytes", " 44 00 ", "|D.|", "read 4 bytes",
                       " 41 42 ff 01 ", "|AB..|", "modem lines DTR off RTS on",
                       "hang-up: ", "close " + device});

  // Stamps are monotonic seconds since the trace began, one per event.
  std::istringstream lines(text);
  double previous = -1;
  for (std::string line; std::getline(lines, line);) {
    if (line.find_first_not_of(' ') >= 11) continue;  // a row of bytes
    const double stamp = std::stod(line);
    EXPECT_GE(stamp, previous) << line;
    previous = stamp;
  }
}

// Each event is written as it happens, so a process killed part-way leaves
// every event before it; a second trace of the same file adds to it.
TEST_F(TraceTest, AKilledProcessLeavesEveryEventBeforeIt) {
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    posix::TraceFile file(path_);
    const std::vector<uint8_t> bytes = {'W'};
    file.Record(trace_text::Bytes("write", bytes));
    raise(SIGKILL);
    _exit(0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFSIGNALED(status));
  { posix::TraceFile again(path_); }
  const std::string text = Trace();
  ExpectInOrder(text, {"trace started", "write 1 byte", "|W|", "trace started"});
}

TEST_F(TraceTest, AFileThatCannotBeWrittenIsRefusedBeforeAnythingIsTraced) {
  const fs::path link = dir_ / "planted.trace";
  fs::create_symlink(dir_ / "victim", link);
  for (const std::string& path :
       {dir_.string(), (dir_ / "missing" / "t.trace").string(), link.string()}) {
    try {
      posix::TraceFile file(path);
      ADD_FAILURE() << path << " was accepted";
    } catch (const RuntimeError& error) {
      EXPECT_EQ(error.Number(), ErrorNumber::PathFileAccess) << path;
      EXPECT_NE(error.Description().find(path), std::string::npos) << error.Description();
    }
  }
  EXPECT_FALSE(fs::exists(dir_ / "victim")) << "written through the link";
}

}  // namespace
}  // namespace travimo
