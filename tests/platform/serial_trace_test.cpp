#include "platform/serial_trace.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "model/error.h"
#include "platform/posix/termios_serial.h"
#include "platform/posix/trace_file.h"
#include "pty_pair.h"
#include "scratch_dir.h"

namespace travimo {
namespace {

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

// Whether a file cannot be traced to is the save rules' (atomic_file_test.cpp).
class TraceTest : public ::testing::Test {
 protected:
  testing::ScratchDir dir_;
  const std::string path_ = dir_ / "serial.trace";
};

TEST_F(TraceTest, RecordsALineFromOpenToHangUpWithoutChangingIt) {
  testing::PtyPair pty;
  posix::TermiosBackend termios([&](int16_t port) {
    return port == 5 ? pty.Name() : "/dev/travimo-missing-" + std::to_string(port);
  });
  {
    posix::TraceFile file(path_);
    TracingBackend backend(termios, &file);
    EXPECT_THROW(backend.Open(7, PortOptions{}), RuntimeError);
    PortOptions options;
    options.handshaking = 3;
    auto connection = backend.Open(5, options);
    connection->Write(std::vector<uint8_t>{'D', 0x00});
    pty.Write("AB\xff\x01");
    EXPECT_EQ(testing::ReadAll(*connection, 4), "AB\xff\x01") << "handed on unchanged";
    connection->SetModemLines(false, true);
    pty.HangUp();
    testing::ReadAll(*connection, SIZE_MAX);
  }
  const std::string text = testing::ContentOf(path_);
  ExpectInOrder(text, {"trace started", "open COM7", "error 8002: Cannot open COM7",
                       "open COM5 settings 9600,n,8,1 handshaking 3 (RTS/CTS and XON/XOFF) "
                       "DTR on RTS off",
                       "opened " + pty.Name(), "write 2 bytes", " 44 00 ", "|D.|", "read 4 bytes",
                       " 41 42 ff 01 ", "|AB..|", "modem lines DTR off RTS on",
                       "hang-up: ", "close " + pty.Name()});

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
    file.Record(trace_text::Bytes("write", std::vector<uint8_t>{'W'}));
    raise(SIGKILL);
    _exit(0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFSIGNALED(status));
  { posix::TraceFile again(path_); }
  ExpectInOrder(testing::ContentOf(path_),
                {"trace started", "write 1 byte", "|W|", "trace started"});
}

}  // namespace
}  // namespace travimo
