#pragma once
// A real device server for the network tests: ser2net on loopback with a
// throwaway configuration that serves one device on two ports, raw and with
// the COM port option. Stopped (and waited for) when the rig goes.
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "support/scratch_dir.h"

namespace travimo::testing {

// A socket bound to a loopback port of the system's choice; listening when
// asked, its connections then wait in the backlog until accepted.
struct LoopbackSocket {
  explicit LoopbackSocket(bool listen) : fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    if (listen) ::listen(fd, 4);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    port = ntohs(address.sin_port);
  }
  ~LoopbackSocket() { ::close(fd); }
  LoopbackSocket(const LoopbackSocket&) = delete;
  LoopbackSocket& operator=(const LoopbackSocket&) = delete;

  int fd;
  uint16_t port = 0;
};

// Whether something listens on the loopback port, seen without connecting
// (a connection would open the device and disturb the instrument).
inline bool Listening(uint16_t port) {
  char local[16];
  std::snprintf(local, sizeof local, ":%04X", port);
  std::ifstream table("/proc/net/tcp");
  for (std::string line; std::getline(table, line);) {
    std::istringstream fields(line);
    std::string slot, localAddress, remote, state;
    fields >> slot >> localAddress >> remote >> state;
    if (localAddress.ends_with(local) && state == "0A") return true;
  }
  return false;
}

inline bool Ser2netInstalled() {
  return ::access("/usr/sbin/ser2net", X_OK) == 0;
}

class Ser2netRig {
 public:
  // Two loopback ports nobody listens on right now.
  explicit Ser2netRig(const std::string& device)
      : rawPort_(LoopbackSocket(false).port), rfc2217Port_(LoopbackSocket(false).port) {
    std::ofstream(dir_ / "ser2net.yaml")
        << Connection("raw", "tcp", rawPort_, device)
        << Connection("rfc2217", "telnet(rfc2217),tcp", rfc2217Port_, device);
    Start();
  }
  ~Ser2netRig() { Stop(); }
  Ser2netRig(const Ser2netRig&) = delete;
  Ser2netRig& operator=(const Ser2netRig&) = delete;

  bool Running() const { return pid_ > 0; }
  std::string RawUrl() const { return "socket://127.0.0.1:" + std::to_string(rawPort_); }
  std::string Rfc2217Url() const { return "rfc2217://127.0.0.1:" + std::to_string(rfc2217Port_); }
  std::string Log() const { return ContentOf(dir_ / "ser2net.log"); }

  // Ends the server at once, as a crash or a power cut would.
  void Stop() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }

 private:
  static std::string Connection(const std::string& name, const std::string& accepter, uint16_t port,
                                const std::string& device) {
    return "connection: &" + name + "\n  accepter: " + accepter + ",127.0.0.1," +
           std::to_string(port) + "\n  connector: serialdev," + device + ",9600n81,local\n";
  }

  void Start() {
    // Made before the fork: the child of a threaded process must not allocate.
    const std::string log = dir_ / "ser2net.log", config = dir_ / "ser2net.yaml";
    const std::string pidFile = dir_ / "ser2net.pid";
    pid_ = ::fork();
    if (pid_ == 0) {
      const int out = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      ::dup2(::open("/dev/null", O_RDONLY), STDIN_FILENO);
      ::dup2(out, STDOUT_FILENO);
      ::dup2(out, STDERR_FILENO);
      ::execl("/usr/sbin/ser2net", "ser2net", "-n", "-u", "-c", config.c_str(), "-P",
              pidFile.c_str(), nullptr);
      ::_exit(127);
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (pid_ > 0 && !(Listening(rawPort_) && Listening(rfc2217Port_))) {
      if (::waitpid(pid_, nullptr, WNOHANG) != 0) {
        pid_ = -1;  // it ended by itself: see Log()
        return;
      }
      if (std::chrono::steady_clock::now() > deadline) return Stop();
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  }

  uint16_t rawPort_;
  uint16_t rfc2217Port_;
  ScratchDir dir_;
  pid_t pid_ = -1;
};

}  // namespace travimo::testing
