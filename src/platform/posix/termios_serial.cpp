#include "platform/posix/termios_serial.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>
#include <vector>

#include <travimo/model/error.h>
#include <travimo/platform/ms_comm.h>
#include "platform/posix/custom_baud.h"
#include "platform/posix/unique_fd.h"

namespace travimo::posix {

namespace {

constexpr const char* kSource = "MSComm";
// How long a write may wait for room (flow control held off, full buffer).
constexpr int kWriteWaitMs = 2000;

std::string Describe(int error) {
  return std::strerror(error);
}

std::optional<speed_t> StandardSpeed(int32_t baud) {
  switch (baud) {
    case 50:
      return B50;
    case 75:
      return B75;
    case 110:
      return B110;
    case 134:
      return B134;
    case 150:
      return B150;
    case 200:
      return B200;
    case 300:
      return B300;
    case 600:
      return B600;
    case 1200:
      return B1200;
    case 1800:
      return B1800;
    case 2400:
      return B2400;
    case 4800:
      return B4800;
    case 9600:
      return B9600;
    case 19200:
      return B19200;
    case 38400:
      return B38400;
    case 57600:
      return B57600;
    case 115200:
      return B115200;
    case 230400:
      return B230400;
    case 460800:
      return B460800;
    case 921600:
      return B921600;
    default:
      return std::nullopt;
  }
}

tcflag_t DataBitsFlag(int dataBits) {
  switch (dataBits) {
    case 5:
      return CS5;
    case 6:
      return CS6;
    case 7:
      return CS7;
    default:
      return CS8;
  }
}

tcflag_t ParityFlags(char parity) {
  switch (parity) {
    case 'e':
      return PARENB;
    case 'o':
      return PARENB | PARODD;
    case 'm':
      return PARENB | PARODD | CMSPAR;
    case 's':
      return PARENB | CMSPAR;
    default:
      return 0;
  }
}

}  // namespace

void ApplyLineOptions(termios& tty, const PortOptions& options) {
  cfmakeraw(&tty);
  tty.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
  tty.c_cflag |=
      CLOCAL | CREAD | DataBitsFlag(options.line.dataBits) | ParityFlags(options.line.parity);
  // Two stop bits with five data bits are one and a half on the wire.
  if (options.line.stopBitsTimesTen > 10) tty.c_cflag |= CSTOPB;
  tty.c_iflag &= ~(IXON | IXOFF | IXANY | INPCK | PARMRK | IGNPAR | ISTRIP);
  tty.c_iflag |= IGNBRK;
  if (options.line.parity != 'n') tty.c_iflag |= INPCK | PARMRK;
  if (options.handshaking == 1 || options.handshaking == 3) tty.c_iflag |= IXON | IXOFF;
  if (options.handshaking == 2 || options.handshaking == 3) tty.c_cflag |= CRTSCTS;
  tty.c_cc[VMIN] = 0;
  tty.c_cc[VTIME] = 0;
}

namespace {

class TermiosConnection : public SerialConnection {
 public:
  TermiosConnection(UucpLock lock, UniqueFd fd, std::string device, const PortOptions& options)
      : lock_(std::move(lock)),
        fd_(std::move(fd)),
        device_(std::move(device)),
        marking_(options.line.parity != 'n'),
        replacement_(options.parityReplace) {}

  ~TermiosConnection() override {
    if (fd_.Valid()) ioctl(fd_.Get(), TIOCNXCL);
  }
  TermiosConnection(const TermiosConnection&) = delete;
  TermiosConnection& operator=(const TermiosConnection&) = delete;

  int PollDescriptor() const override { return fd_.Get(); }

  ReadOutcome Read(std::span<uint8_t> into) override {
    ReadOutcome outcome;
    if (!fd_.Valid()) return Lost(outcome, "the device is closed");
    std::vector<uint8_t> raw(into.size());
    while (outcome.count < into.size()) {
      const ssize_t got = ::read(fd_.Get(), raw.data(), into.size() - outcome.count);
      if (got > 0) {
        Decode(std::span(raw.data(), static_cast<size_t>(got)), into, outcome.count);
        continue;
      }
      if (got == 0) {
        // With VMIN and VTIME 0 a tty reads 0 when nothing waits, not only at a hang-up.
        if (HungUp()) return Lost(outcome, "the far end closed the line");
        break;
      }
      if (errno == EINTR) continue;
      if (errno == EAGAIN || errno == EWOULDBLOCK) {
        if (HungUp()) return Lost(outcome, "the line hung up");
        break;
      }
      return Lost(outcome, Describe(errno));
    }
    return outcome;
  }

  void Write(std::span<const uint8_t> bytes) override {
    while (!bytes.empty()) {
      if (!fd_.Valid()) Fail("the device is closed");
      const ssize_t put = ::write(fd_.Get(), bytes.data(), bytes.size());
      if (put > 0) {
        bytes = bytes.subspan(static_cast<size_t>(put));
      } else if (put < 0 && errno == EINTR) {
        continue;
      } else if (put < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
        WaitForRoom();
      } else {
        Fail(put < 0 ? Describe(errno) : "nothing was written");
      }
    }
  }

  // A pseudo-terminal has no modem lines; that is no reason to refuse it.
  void SetModemLines(bool dtr, bool rts) override {
    if (!fd_.Valid()) return;
    const int dtrBit = TIOCM_DTR;
    const int rtsBit = TIOCM_RTS;
    ioctl(fd_.Get(), dtr ? TIOCMBIS : TIOCMBIC, &dtrBit);
    ioctl(fd_.Get(), rts ? TIOCMBIS : TIOCMBIC, &rtsBit);
  }

  std::string DeviceName() const override { return device_; }

 private:
  ReadOutcome& Lost(ReadOutcome& outcome, const std::string& problem) {
    if (fd_.Valid()) ioctl(fd_.Get(), TIOCNXCL);
    fd_.Reset();
    lock_.Release();
    outcome.hungUp = true;
    outcome.problem = problem;
    return outcome;
  }

  bool HungUp() const {
    pollfd probe{fd_.Get(), POLLIN, 0};
    return ::poll(&probe, 1, 0) > 0 && (probe.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
  }

  void WaitForRoom() {
    pollfd probe{fd_.Get(), POLLOUT, 0};
    const int ready = ::poll(&probe, 1, kWriteWaitMs);
    if (ready == 0) Fail("the line accepts no more data (flow control held?)");
    if (ready < 0 && errno != EINTR) Fail(Describe(errno));
    if (ready > 0 && (probe.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
      Fail("the line hung up");
    }
  }

  [[noreturn]] void Fail(const std::string& why) const {
    throw RuntimeError(CommError::WriteFailed, kSource, "Cannot write to " + device_ + ": " + why);
  }

  // With parity checking the driver marks a bad byte X as FF 00 X and a
  // genuine FF as FF FF; a mark may straddle two reads.
  void Decode(std::span<const uint8_t> raw, std::span<uint8_t> into, size_t& count) {
    for (const uint8_t byte : raw) {
      if (!marking_) {
        into[count++] = byte;
        continue;
      }
      switch (markState_) {
        case 0:
          if (byte == 0xFF) {
            markState_ = 1;
          } else {
            into[count++] = byte;
          }
          break;
        case 1:
          markState_ = byte == 0x00 ? 2 : 0;
          if (byte != 0x00) into[count++] = byte;
          break;
        default:
          markState_ = 0;
          into[count++] = replacement_.empty() ? byte : static_cast<uint8_t>(replacement_[0]);
          break;
      }
    }
  }

  UucpLock lock_;  // released after the device is closed
  UniqueFd fd_;
  std::string device_;
  bool marking_;
  std::string replacement_;
  int markState_ = 0;
};

}  // namespace

std::string DefaultDeviceFor(int16_t commPort) {
  return "/dev/ttyS" + std::to_string(commPort - 1);
}

TermiosBackend::TermiosBackend(PortResolver resolver, std::string lockDirectory)
    : resolver_(std::move(resolver)), lockDirectory_(std::move(lockDirectory)) {}

std::string TermiosBackend::DeviceFor(int16_t commPort) const {
  return resolver_(commPort);
}

std::unique_ptr<SerialConnection> TermiosBackend::Open(int16_t commPort,
                                                       const PortOptions& options) {
  const std::string device = DeviceFor(commPort);
  const auto refuse = [&](const std::string& why) {
    return RuntimeError(CommError::PortInvalid, kSource,
                        "Cannot open COM" + std::to_string(commPort) + " (" + device + "): " + why);
  };
  if (device.empty()) throw refuse("no device is assigned to this port");
  // termios knows five to eight data bits only.
  if (options.line.dataBits < 5 || options.line.dataBits > 8) {
    throw refuse(std::to_string(options.line.dataBits) + " data bits are not supported");
  }

  // Taken before the device is touched, and given up on every failure below.
  UucpLock lock;
  if (const long holder = lock.Take(lockDirectory_, device)) {
    throw refuse("the port is in use by process " + std::to_string(holder) + " (lock file " +
                 lockDirectory_ + "/" + LockFileName(device) + ")");
  }
  UniqueFd fd(::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
  if (!fd.Valid()) throw refuse(errno == EBUSY ? "the port is in use" : Describe(errno));
  if (!isatty(fd.Get())) throw refuse("not a serial device");
  if (flock(fd.Get(), LOCK_EX | LOCK_NB) != 0) {
    throw refuse(errno == EWOULDBLOCK ? "the port is in use" : Describe(errno));
  }

  termios tty{};
  if (tcgetattr(fd.Get(), &tty) != 0) throw refuse(Describe(errno));
  ApplyLineOptions(tty, options);
  const auto speed = StandardSpeed(options.line.baud);
  if (speed) {
    cfsetispeed(&tty, *speed);
    cfsetospeed(&tty, *speed);
  }
  if (tcsetattr(fd.Get(), TCSANOW, &tty) != 0) throw refuse(Describe(errno));
  if (!speed && !SetCustomBaud(fd.Get(), options.line.baud)) {
    throw refuse("the device does not support " + std::to_string(options.line.baud) + " baud");
  }
  tcflush(fd.Get(), TCIOFLUSH);
  ioctl(fd.Get(), TIOCEXCL);

  auto connection =
      std::make_unique<TermiosConnection>(std::move(lock), std::move(fd), device, options);
  connection->SetModemLines(options.dtrEnable, options.rtsEnable);
  return connection;
}

}  // namespace travimo::posix
