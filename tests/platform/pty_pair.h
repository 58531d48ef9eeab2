#pragma once
// A pseudo-terminal pair: the backend opens the slave by name, the test plays
// the instrument on the master.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <unistd.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "platform/serial_backend.h"

namespace travimo::testing {

// Up to `wanted` bytes within two seconds: `take` appends what is waiting on
// `fd` and says whether more may come.
template <class Take>
std::string Collect(int fd, size_t wanted, Take take) {
  std::string got;
  for (int tries = 0; tries < 200 && got.size() < wanted; ++tries) {
    pollfd probe{fd, POLLIN, 0};
    ::poll(&probe, 1, 10);
    if (!take(got)) break;
  }
  return got;
}

// Until a hang-up, when `wanted` is beyond what comes.
inline std::string ReadAll(SerialConnection& connection, size_t wanted) {
  return Collect(connection.PollDescriptor(), wanted, [&](std::string& got) {
    uint8_t buffer[64];
    const ReadOutcome outcome = connection.Read(buffer);
    got.append(buffer, buffer + outcome.count);
    return !outcome.hungUp;
  });
}

class PtyPair {
 public:
  PtyPair() {
    char name[256] = {};
    if (::openpty(&master_, &slave_, name, nullptr, nullptr) != 0)
      throw std::runtime_error("cannot open a pseudo-terminal");
    name_ = name;
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
  }
  ~PtyPair() { HangUp(); }
  PtyPair(const PtyPair&) = delete;
  PtyPair& operator=(const PtyPair&) = delete;

  const std::string& Name() const { return name_; }
  int Slave() const { return slave_; }

  void Write(const std::string& bytes) {
    ASSERT_EQ(::write(master_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  }
  // What the far end received.
  std::string Read(size_t wanted) {
    return Collect(master_, wanted, [&](std::string& got) {
      char buffer[256];
      const ssize_t n = ::read(master_, buffer, sizeof buffer);
      if (n > 0) got.append(buffer, static_cast<size_t>(n));
      return true;
    });
  }
  // Closes both of our ends, so the line really hangs up for its last holder.
  void HangUp() {
    for (int* fd : {&master_, &slave_}) {
      if (*fd >= 0) ::close(*fd);
      *fd = -1;
    }
  }

 private:
  int master_ = -1;
  int slave_ = -1;
  std::string name_;
};

}  // namespace travimo::testing
