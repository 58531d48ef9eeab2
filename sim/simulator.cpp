#include "sim/simulator.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <system_error>
#include <utility>

namespace travimo::sim {
namespace {

// How often a port that nobody has open is looked at again.
constexpr std::chrono::milliseconds kIdleRecheck{20};

// A pseudo-terminal's master reports the settings of its slave.
std::optional<DeviceLine> ReadDeviceLine(int master) {
  termios tty{};
  if (::tcgetattr(master, &tty) != 0) return std::nullopt;
  return DeviceLine{static_cast<uint32_t>(::cfgetospeed(&tty)), (tty.c_cflag & CSTOPB) != 0,
                    (tty.c_cflag & CRTSCTS) != 0};
}

}  // namespace

std::string DefaultTransfer(const TransferRequest& request) {
  switch (request.mode) {
    case Mode::Lorvex: {
      LorvexEncodeOptions options;
      options.endMarker = request.endMarker;
      return EncodeLorvexTransfer(
          SampleLorvexScans(request.scans, request.dataType, request.points), options);
    }
    case Mode::Ostrel: {
      std::string text = EncodeOstrel(SampleOstrelMeasurements(request.scans, request.points));
      // The end mark is the last character the encoder writes.
      if (!request.endMarker && !text.empty()) text.pop_back();
      return text;
    }
    case Mode::Brevane: {
      BrevaneEncodeOptions options;
      options.writeEnd = request.endMarker;
      return EncodeBrevane(SampleBrevaneMeasurements(request.scans, request.points), options);
    }
  }
  return {};
}

// ---- the simulator ----------------------------------------------------------

Simulator::Simulator(Script script) : script_(std::move(script)) {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) {
    throw std::system_error(errno, std::generic_category(), "pipe2");
  }
  wakeRead_ = fds[0];
  wakeWrite_ = fds[1];
}

Simulator::~Simulator() {
  Stop();
  ::close(wakeRead_);
  ::close(wakeWrite_);
}

void Simulator::Provider(TransferProvider provider) {
  std::lock_guard lock(mutex_);
  provider_ = std::move(provider);
}

void Simulator::SetScript(const Script& script) {
  std::lock_guard lock(mutex_);
  script_ = script;
}

SimulatorStats Simulator::Stats() const {
  std::lock_guard lock(mutex_);
  return stats_;
}

void Simulator::Start() {
  if (thread_.joinable()) return;
  thread_ = std::thread([this] {
    for (;;) {
      {
        std::lock_guard lock(mutex_);
        if (stopping_) return;
      }
      if (!Pump(std::chrono::seconds(1))) return;
    }
  });
}

void Simulator::Stop() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  const char wake = 1;
  [[maybe_unused]] const ssize_t ignored = ::write(wakeWrite_, &wake, 1);
  if (thread_.joinable()) thread_.join();
  std::lock_guard lock(mutex_);
  stopping_ = false;
}

int Simulator::WaitMilliseconds() const {
  if (!connected_) return static_cast<int>(kIdleRecheck.count());
  std::optional<Clock::time_point> next = unpromptedAt_;
  if (!pending_.empty() && (!next || pending_.front().notBefore < *next)) {
    next = pending_.front().notBefore;
  }
  if (!next) return -1;
  const auto wait = std::chrono::ceil<std::chrono::milliseconds>(*next - Clock::now());
  return static_cast<int>(std::max<int64_t>(wait.count(), 0));
}

bool Simulator::Pump(std::chrono::milliseconds maxWait) {
  if (!pty_.IsOpen()) return false;
  int timeout = WaitMilliseconds();
  if (timeout < 0 || timeout > maxWait.count()) timeout = static_cast<int>(maxWait.count());

  const bool writeDue = !pending_.empty() && pending_.front().notBefore <= Clock::now();
  pollfd fds[2] = {{wakeRead_, POLLIN, 0},
                   {pty_.MasterFd(), static_cast<short>(POLLIN | (writeDue ? POLLOUT : 0)), 0}};
  // A port nobody has open reports a hang-up all the time; it is only looked at
  // between naps then.
  ::poll(fds, connected_ ? 2 : 1, writeDue && connected_ ? 0 : timeout);
  if (fds[0].revents & POLLIN) {
    char drain[64];
    while (::read(wakeRead_, drain, sizeof drain) > 0) {
    }
  }

  pollfd master{pty_.MasterFd(), POLLIN, 0};
  ::poll(&master, 1, 0);
  if (master.revents & POLLIN) ReadRequests();
  CheckConnection(master.revents);
  if (connected_ && unpromptedAt_ && *unpromptedAt_ <= Clock::now()) {
    unpromptedAt_.reset();
    StartTransfer(0);
  }
  if (connected_) WritePending();
  return pty_.IsOpen();
}

void Simulator::CheckConnection(short revents) {
  const bool hungUp = (revents & POLLHUP) != 0;
  if (hungUp && connected_) {
    Note("close: the program closed " + pty_.SlavePath());
    connected_ = false;
    awaitingDataType_ = false;
    pending_.clear();  // nobody to send to; the next opener must not get stale bytes
    unpromptedAt_.reset();
  } else if (!hungUp && !connected_) {
    Note("open: a program opened " + pty_.SlavePath());
    connected_ = true;
    std::lock_guard lock(mutex_);
    ++stats_.connections;
    if (script_.mode != Mode::Lorvex) {
      unpromptedAt_ = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                         std::chrono::duration<double>(script_.firstByteDelay));
    }
  }
}

void Simulator::Note(const std::string& event) {
  if (trace_) trace_->Record(event);
}

void Simulator::ReadRequests() {
  uint8_t buffer[256];
  for (;;) {
    const ssize_t count = ::read(pty_.MasterFd(), buffer, sizeof buffer);
    if (count <= 0) return;  // EAGAIN, or EIO once the slave is closed
    if (trace_) {
      trace_->Record(trace_text::Bytes("read", std::span(buffer, static_cast<size_t>(count))));
    }
    for (ssize_t i = 0; i < count; ++i) HandleByte(buffer[i]);
  }
}

void Simulator::HandleByte(uint8_t byte) {
  if (awaitingDataType_) {
    awaitingDataType_ = false;
    bool answer = false;
    {
      std::lock_guard lock(mutex_);
      ++stats_.requests;
      stats_.lastDataType = byte;
      answer = script_.mode == Mode::Lorvex;
    }
    if (answer) StartTransfer(byte);
    return;
  }
  if (byte == 'D') {
    awaitingDataType_ = true;
    return;
  }
  std::lock_guard lock(mutex_);
  if (byte == 'W') {
    ++stats_.keepAlives;
  } else {
    ++stats_.otherBytes;
  }
}

void Simulator::StartTransfer(int dataType) {
  Script script;
  TransferProvider provider;
  {
    std::lock_guard lock(mutex_);
    script = script_;
    provider = provider_;
    if (script.silent) return;
    ++stats_.transfersStarted;
    stats_.lineAtTransfer = ReadDeviceLine(pty_.MasterFd());
  }
  TransferRequest request{script.mode, dataType, script.scans, script.points, script.endMarker};
  std::string answer = script.garbage + provider(request);
  const bool hangUp = script.hangUpAfter && *script.hangUpAfter < answer.size() + 1;
  if (hangUp) answer.resize(std::min(answer.size(), *script.hangUpAfter));

  // Lorvex answers wait the delay after the request; the unprompted modes
  // have waited theirs already.
  const double delay = script.mode == Mode::Lorvex ? script.firstByteDelay : 0.0;
  auto at = Clock::now() +
            std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(delay));
  const auto pause =
      std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(script.burstPause));
  const size_t burst =
      script.burstSize == 0 ? std::max<size_t>(answer.size(), 1) : script.burstSize;

  pending_.clear();
  for (size_t from = 0; from < answer.size(); from += burst) {
    pending_.push_back({answer.substr(from, burst), at, false});
    at += pause;
  }
  // The line drops a moment after the last byte, once the reader has had a chance at it.
  if (hangUp) {
    const auto last = pending_.empty() ? at : pending_.back().notBefore;
    pending_.push_back({{}, last + std::chrono::milliseconds(200), true});
  }
}

void Simulator::WritePending() {
  while (!pending_.empty() && pending_.front().notBefore <= Clock::now()) {
    Segment& front = pending_.front();
    if (front.hangUp) {
      Note("hang-up: the script drops the line");
      pty_.HangUp();
      pending_.clear();
      std::lock_guard lock(mutex_);
      stats_.hungUp = true;
      return;
    }
    const ssize_t written = ::write(pty_.MasterFd(), front.bytes.data(), front.bytes.size());
    if (written < 0) {
      if (errno != EAGAIN && errno != EINTR) pending_.clear();
      return;
    }
    if (trace_) {
      trace_->Record(
          trace_text::Bytes("write", std::span(reinterpret_cast<const uint8_t*>(front.bytes.data()),
                                               static_cast<size_t>(written))));
    }
    {
      std::lock_guard lock(mutex_);
      stats_.bytesSent += static_cast<size_t>(written);
      stats_.lastSentAt = Clock::now();
    }
    front.bytes.erase(0, static_cast<size_t>(written));
    if (!front.bytes.empty()) return;  // the rest once the port has room
    pending_.pop_front();
  }
}

}  // namespace travimo::sim
