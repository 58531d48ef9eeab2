#include "platform/posix/network_serial.h"

#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <vector>

#include <travimo/model/error.h>
#include <travimo/platform/ms_comm.h>
#include "platform/posix/unique_fd.h"
#include "platform/rfc2217_client.h"

namespace travimo::posix {

namespace {

constexpr const char* kSource = "MSComm";
using Clock = std::chrono::steady_clock;

int RemainingMs(Clock::time_point deadline) {
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
  return static_cast<int>(std::max<int64_t>(left.count(), 0));
}

Clock::time_point After(int milliseconds) {
  return Clock::now() + std::chrono::milliseconds(milliseconds);
}

// Waits for events on fd until the deadline; false when it passed first.
bool WaitFor(int fd, short events, Clock::time_point deadline, short& revents) {
  for (;;) {
    pollfd probe{fd, events, 0};
    const int ready = ::poll(&probe, 1, RemainingMs(deadline));
    if (ready > 0) {
      revents = probe.revents;
      return true;
    }
    if (ready == 0) return false;
    if (errno != EINTR) {
      revents = POLLERR;
      return true;
    }
  }
}

class OpenError {
 public:
  OpenError(std::string label, std::string endpoint)
      : label_(std::move(label)), endpoint_(std::move(endpoint)) {}
  [[noreturn]] void Fail(const std::string& why, int32_t number = CommError::PortInvalid) const {
    throw RuntimeError(number, kSource, "Cannot open " + label_ + ": " + why);
  }
  [[noreturn]] void Unreachable(const std::string& why) const {
    Fail("cannot connect to " + endpoint_ + ": " + why);
  }
  const std::string& Endpoint() const { return endpoint_; }

 private:
  std::string label_;
  std::string endpoint_;
};

UniqueFd TryConnect(const addrinfo& candidate, Clock::time_point deadline, std::string& why) {
  UniqueFd fd(::socket(candidate.ai_family, candidate.ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                       candidate.ai_protocol));
  if (!fd.Valid()) {
    why = std::strerror(errno);
    return {};
  }
  if (::connect(fd.Get(), candidate.ai_addr, candidate.ai_addrlen) != 0) {
    if (errno != EINPROGRESS) {
      why = std::strerror(errno);
      return {};
    }
    short revents = 0;
    if (!WaitFor(fd.Get(), POLLOUT, deadline, revents)) {
      why = "no answer (timed out)";
      return {};
    }
    int error = 0;
    socklen_t length = sizeof error;
    ::getsockopt(fd.Get(), SOL_SOCKET, SO_ERROR, &error, &length);
    if (error != 0) {
      why = std::strerror(error);
      return {};
    }
  }
  // Requests are a byte or two; they must not wait for more to fill a segment.
  const int on = 1;
  ::setsockopt(fd.Get(), IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  return fd;
}

UniqueFd Connect(const DeviceAddress& address, const OpenError& error, int connectMs) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  const int status = ::getaddrinfo(address.host.c_str(), address.port.c_str(), &hints, &found);
  if (status != 0) {
    error.Unreachable(status == EAI_SYSTEM ? std::strerror(errno) : ::gai_strerror(status));
  }
  const std::unique_ptr<addrinfo, decltype(&::freeaddrinfo)> owner(found, ::freeaddrinfo);
  const auto deadline = After(connectMs);
  std::string why = "no address";
  for (const addrinfo* candidate = found; candidate != nullptr; candidate = candidate->ai_next) {
    UniqueFd fd = TryConnect(*candidate, deadline, why);
    if (fd.Valid()) return fd;
  }
  error.Unreachable(why);
}

// What both transports share: the socket, bounded writes, and the far end
// closing as a hang-up.
class NetworkLine : public SerialConnection {
 public:
  NetworkLine(UniqueFd fd, std::string device, int writeMs)
      : fd_(std::move(fd)), device_(std::move(device)), writeMs_(writeMs) {}

  int PollDescriptor() const override { return fd_.Get(); }
  std::string DeviceName() const override { return device_; }

 protected:
  // Takes what waits on the socket, at most room bytes; false with the
  // outcome filled in once the connection is gone.
  bool Receive(std::vector<uint8_t>& raw, size_t room, ReadOutcome& outcome) {
    raw.resize(room);
    size_t got = 0;
    bool open = fd_.Valid();
    while (open && got < room) {
      const ssize_t n = ::recv(fd_.Get(), raw.data() + got, room - got, MSG_DONTWAIT);
      if (n > 0) {
        got += static_cast<size_t>(n);
      } else if (n == 0) {
        open = Lose(outcome, "the server closed the connection");
      } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
        break;
      } else if (errno != EINTR) {
        open = Lose(outcome, std::strerror(errno));
      }
    }
    raw.resize(got);
    return open;
  }

  bool Lose(ReadOutcome& outcome, const std::string& problem) {
    fd_.Reset();
    outcome.hungUp = true;
    outcome.problem = problem;
    return false;
  }

  void SendAll(std::span<const uint8_t> bytes) {
    const auto deadline = After(writeMs_);
    while (!bytes.empty()) {
      if (!fd_.Valid()) FailWrite("the connection is closed");
      const ssize_t put =
          ::send(fd_.Get(), bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
      if (put > 0) {
        bytes = bytes.subspan(static_cast<size_t>(put));
      } else if (put < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
        short revents = 0;
        if (!WaitFor(fd_.Get(), POLLOUT, deadline, revents)) {
          FailWrite("the server accepts no more data");
        }
      } else if (!(put < 0 && errno == EINTR)) {
        FailWrite(put < 0 ? std::strerror(errno) : "nothing was written");
      }
    }
  }

  [[noreturn]] void FailWrite(const std::string& why) const {
    throw RuntimeError(CommError::WriteFailed, kSource, "Cannot write to " + device_ + ": " + why);
  }

  UniqueFd fd_;
  std::string device_;
  int writeMs_;
};

class SocketLine : public NetworkLine {
 public:
  using NetworkLine::NetworkLine;

  ReadOutcome Read(std::span<uint8_t> into) override {
    ReadOutcome outcome;
    Receive(raw_, into.size(), outcome);
    std::copy(raw_.begin(), raw_.end(), into.begin());
    outcome.count = raw_.size();
    return outcome;
  }

  void Write(std::span<const uint8_t> bytes) override { SendAll(bytes); }
  // A raw stream has no way to reach the modem lines.
  void SetModemLines(bool, bool) override {}

 private:
  std::vector<uint8_t> raw_;
};

class Rfc2217Line : public NetworkLine {
 public:
  Rfc2217Line(UniqueFd fd, std::string device, int writeMs)
      : NetworkLine(std::move(fd), std::move(device), writeMs) {}

  // Offers the options, waits for the COM port option, sends the settings
  // and waits for every answer, all before the deadline.
  void Negotiate(const PortOptions& options, const OpenError& error, int negotiateMs) {
    const auto deadline = After(negotiateMs);
    const auto seconds = std::to_string(negotiateMs / 1000.0).substr(0, 3) + " s";
    Offer(client_.Greeting(), error);
    AwaitServer(
        deadline, error, [this] { return client_.ComPortAgreed() || client_.ComPortRefused(); },
        "the server at " + error.Endpoint() +
            " did not agree to the COM port option (RFC 2217) within " + seconds +
            "; for a raw TCP port use socket://");
    if (client_.ComPortRefused()) {
      error.Fail("the server at " + error.Endpoint() +
                 " refuses the COM port option (RFC 2217); for a raw TCP port use socket://");
    }
    Offer(client_.Configure(options), error);
    AwaitServer(
        deadline, error, [this] { return client_.Settled(); },
        "the server at " + error.Endpoint() + " did not answer the line settings within " +
            seconds);
    if (client_.Refusal()) {
      error.Fail("the server at " + error.Endpoint() + " refused a setting: " + *client_.Refusal(),
                 ErrorNumber::InvalidPropertyValue);
    }
  }

  ReadOutcome Read(std::span<uint8_t> into) override {
    ReadOutcome outcome;
    const size_t fromPending = std::min(into.size(), pending_.size());
    std::copy_n(pending_.begin(), fromPending, into.begin());
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<ptrdiff_t>(fromPending));
    outcome.count = fromPending;
    if (outcome.count == into.size() || !fd_.Valid()) return outcome;

    // Telnet only shrinks what it carries, so what is decoded fits.
    const bool open = Receive(raw_, into.size() - outcome.count, outcome);
    data_.clear();
    Decode(raw_, data_);
    std::copy(data_.begin(), data_.end(), into.begin() + static_cast<ptrdiff_t>(outcome.count));
    outcome.count += data_.size();
    if (open && client_.CarrierLost()) Lose(outcome, "the server reports that the carrier dropped");
    return outcome;
  }

  void Write(std::span<const uint8_t> bytes) override {
    HoldWhileSuspended();
    SendAll(EscapeIac(bytes));
  }

  // As on a local line, the modem lines are set as far as they can be; a
  // connection that is gone shows at the next read.
  void SetModemLines(bool dtr, bool rts) override { SendIfOpen(client_.ModemLines(dtr, rts)); }

 private:
  void SendIfOpen(const std::vector<uint8_t>& bytes) {
    try {
      if (fd_.Valid()) SendAll(bytes);
    } catch (const RuntimeError&) {
      // The loss shows as a hang-up at the next read.
    }
  }

  // A failure to send while opening is a failure to open.
  void Offer(const std::vector<uint8_t>& bytes, const OpenError& error) {
    try {
      SendAll(bytes);
    } catch (const RuntimeError& failure) {
      error.Fail("the server at " + error.Endpoint() + " takes nothing: " + failure.Description());
    }
  }

  void Decode(const std::vector<uint8_t>& raw, std::vector<uint8_t>& data) {
    reply_.clear();
    client_.Receive(raw, data, reply_);
    if (!reply_.empty()) SendIfOpen(reply_);
  }

  // Reads what the server sends until ready() holds, keeping any line data.
  template <class Ready>
  void AwaitServer(Clock::time_point deadline, const OpenError& error, Ready ready,
                   const std::string& timeoutWhy) {
    while (!ready()) {
      short revents = 0;
      if (!WaitFor(fd_.Get(), POLLIN, deadline, revents)) error.Fail(timeoutWhy);
      ReadOutcome outcome;
      const bool open = Receive(raw_, 4096, outcome);
      Decode(raw_, pending_);
      if (!open) {
        error.Fail("the server at " + error.Endpoint() + " closed the connection (" +
                   outcome.problem + "); is the port in use by another client?");
      }
    }
  }

  // The server asked to hold off: wait for it to resume, as long as a write may wait.
  void HoldWhileSuspended() {
    const auto deadline = After(writeMs_);
    while (client_.SendingSuspended() && fd_.Valid()) {
      short revents = 0;
      if (!WaitFor(fd_.Get(), POLLIN, deadline, revents)) {
        FailWrite("the server holds off sending (flow control)");
      }
      ReadOutcome outcome;
      Receive(raw_, 4096, outcome);
      Decode(raw_, pending_);
    }
  }

  Rfc2217Client client_;
  std::vector<uint8_t> raw_;
  std::vector<uint8_t> data_;
  std::vector<uint8_t> reply_;
  std::vector<uint8_t> pending_;  // line data that came while waiting for the server
};

}  // namespace

std::unique_ptr<SerialConnection> OpenNetworkLine(const DeviceAddress& address,
                                                  const std::string& device,
                                                  const std::string& label,
                                                  const PortOptions& options,
                                                  const NetworkWaits& waits) {
  const OpenError error(label, address.Endpoint());
  if (!address.problem.empty()) error.Fail(address.problem);
  UniqueFd fd = Connect(address, error, waits.connectMs);
  if (address.transport == Transport::Socket) {
    return std::make_unique<SocketLine>(std::move(fd), device, waits.writeMs);
  }
  auto line = std::make_unique<Rfc2217Line>(std::move(fd), device, waits.writeMs);
  line->Negotiate(options, error, waits.negotiateMs);
  return line;
}

}  // namespace travimo::posix
