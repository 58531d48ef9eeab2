#include "sim/tcp_bridge.h"

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <stdexcept>
#include <system_error>

namespace travimo::sim {

namespace {

[[noreturn]] void ThrowErrno(const std::string& what) {
  throw std::system_error(errno, std::generic_category(), what);
}

void CloseIfOpen(int& fd) {
  if (fd >= 0) ::close(fd);
  fd = -1;
}

// Blocks only as long as the peer is slow to take a few kilobytes.
bool WriteAll(int fd, const uint8_t* bytes, size_t size) {
  while (size > 0) {
    const ssize_t put = ::write(fd, bytes, size);
    if (put > 0) {
      bytes += put;
      size -= static_cast<size_t>(put);
      continue;
    }
    if (put < 0 && errno == EINTR) continue;
    if (put < 0 && errno == EAGAIN) {
      pollfd probe{fd, POLLOUT, 0};
      if (::poll(&probe, 1, 2000) > 0) continue;
    }
    return false;
  }
  return true;
}

uint16_t BoundPort(int fd) {
  sockaddr_storage bound{};
  socklen_t length = sizeof bound;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&bound), &length);
  if (bound.ss_family == AF_INET6) {
    return ntohs(reinterpret_cast<const sockaddr_in6*>(&bound)->sin6_port);
  }
  return ntohs(reinterpret_cast<const sockaddr_in*>(&bound)->sin_port);
}

}  // namespace

TcpBridge::TcpBridge(const ListenAddress& address, std::string devicePath)
    : host_(address.host), devicePath_(std::move(devicePath)) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
  addrinfo* found = nullptr;
  const int status = ::getaddrinfo(host_.c_str(), address.port.c_str(), &hints, &found);
  if (status != 0) {
    throw std::system_error(EINVAL, std::generic_category(),
                            "cannot listen on " + host_ + ": " + ::gai_strerror(status));
  }
  const std::unique_ptr<addrinfo, decltype(&::freeaddrinfo)> owner(found, ::freeaddrinfo);
  listener_ = ::socket(found->ai_family, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (listener_ < 0) ThrowErrno("socket");
  const int on = 1;
  ::setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  if (::bind(listener_, found->ai_addr, found->ai_addrlen) != 0 || ::listen(listener_, 4) != 0) {
    const int error = errno;
    CloseIfOpen(listener_);
    throw std::system_error(error, std::generic_category(),
                            "cannot listen on " + host_ + ":" + address.port);
  }
  port_ = BoundPort(listener_);
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) {
    const int error = errno;
    CloseIfOpen(listener_);
    throw std::system_error(error, std::generic_category(), "pipe2");
  }
  wakeRead_ = fds[0];
  wakeWrite_ = fds[1];
  thread_ = std::thread([this] { Run(); });
}

TcpBridge::~TcpBridge() {
  const char wake = 1;
  [[maybe_unused]] const ssize_t ignored = ::write(wakeWrite_, &wake, 1);
  if (thread_.joinable()) thread_.join();
  DropClient();
  CloseIfOpen(listener_);
  CloseIfOpen(wakeRead_);
  CloseIfOpen(wakeWrite_);
}

void TcpBridge::Run() {
  for (;;) {
    pollfd fds[4] = {
        {wakeRead_, POLLIN, 0}, {listener_, POLLIN, 0}, {client_, POLLIN, 0}, {device_, POLLIN, 0}};
    if (::poll(fds, 4, -1) < 0 && errno != EINTR) return;
    if (fds[0].revents != 0) return;
    if (fds[1].revents & POLLIN) Accept();
    if (client_ >= 0 && fds[2].revents != 0) Serve(client_, device_);
    if (device_ >= 0 && fds[3].revents != 0) Serve(device_, client_);
  }
}

void TcpBridge::Accept() {
  const int incoming = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
  if (incoming < 0) return;
  if (client_ >= 0) {
    ::close(incoming);  // busy: as a device server refuses a second user
    return;
  }
  device_ = ::open(devicePath_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (device_ < 0) {
    ::close(incoming);
    return;
  }
  termios tty{};
  if (::tcgetattr(device_, &tty) == 0) {
    ::cfmakeraw(&tty);
    ::tcsetattr(device_, TCSANOW, &tty);
  }
  client_ = incoming;
}

// Moves what waits on one side to the other; either side ending ends the session.
void TcpBridge::Serve(int from, int to) {
  uint8_t buffer[4096];
  for (;;) {
    const ssize_t got = ::read(from, buffer, sizeof buffer);
    if (got > 0) {
      if (!WriteAll(to, buffer, static_cast<size_t>(got))) return DropClient();
      continue;
    }
    if (got < 0 && errno == EINTR) continue;
    if (got < 0 && errno == EAGAIN) return;
    return DropClient();  // closed, or the device hung up
  }
}

void TcpBridge::DropClient() {
  CloseIfOpen(client_);
  CloseIfOpen(device_);
}

}  // namespace travimo::sim
