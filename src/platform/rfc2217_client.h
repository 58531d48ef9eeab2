#pragma once
// The client side of Telnet with the COM port option (RFC 2217), without any
// I/O: bytes from the server go in, the line's data and the answers to send
// come out. The transport that owns the socket decides how long to wait.
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include <travimo/platform/serial_backend.h>

namespace travimo {

namespace telnet {
inline constexpr uint8_t kIac = 255;
inline constexpr uint8_t kDont = 254;
inline constexpr uint8_t kDo = 253;
inline constexpr uint8_t kWont = 252;
inline constexpr uint8_t kWill = 251;
inline constexpr uint8_t kSb = 250;
inline constexpr uint8_t kSe = 240;
inline constexpr uint8_t kBinary = 0;
inline constexpr uint8_t kSuppressGoAhead = 3;
inline constexpr uint8_t kComPort = 44;
}  // namespace telnet

// The line's data with every 0xFF doubled, as Telnet carries it.
std::vector<uint8_t> EscapeIac(std::span<const uint8_t> data);

class Rfc2217Client {
 public:
  Rfc2217Client();

  // Sent first: the options this client wants (binary both ways, no go-ahead,
  // the COM port option).
  std::vector<uint8_t> Greeting();
  // The settings of the open line and a purge of both buffers. Each setting
  // is answered by the server; Settled() tells when every answer is in.
  std::vector<uint8_t> Configure(const PortOptions& options);
  std::vector<uint8_t> ModemLines(bool dtr, bool rts);

  // Takes raw bytes from the server: the line's data is appended to data,
  // anything this side must answer to reply.
  void Receive(std::span<const uint8_t> raw, std::vector<uint8_t>& data,
               std::vector<uint8_t>& reply);

  bool ComPortAgreed() const { return us_[telnet::kComPort] == State::Yes; }
  bool ComPortRefused() const { return comPortRefused_; }
  bool Settled() const { return awaited_ == 0; }
  // A setting the server answered with another value than asked, described.
  const std::optional<std::string>& Refusal() const { return refusal_; }
  // The carrier was up and has dropped: the far end hung up.
  bool CarrierLost() const { return carrierLost_; }
  // The server asked to hold off sending (flow control over the network).
  bool SendingSuspended() const { return suspended_; }

 private:
  enum class State : uint8_t { No, Asked, Yes };
  enum class Phase : uint8_t { Data, Iac, Option, Sub, SubIac };

  void Command(uint8_t verb, uint8_t option, std::vector<uint8_t>& reply);
  void Subnegotiation();
  void Answer(uint8_t code, std::span<const uint8_t> value);
  void Check(uint8_t code, std::span<const uint8_t> asked, std::span<const uint8_t> got);
  static bool Wanted(uint8_t option);
  void Ask(std::vector<uint8_t>& out, uint8_t verb, uint8_t option);

  std::array<State, 256> us_{};   // options this side performs (WILL)
  std::array<State, 256> him_{};  // options the server performs (DO)
  Phase phase_ = Phase::Data;
  uint8_t verb_ = 0;
  std::vector<uint8_t> sub_;
  bool comPortRefused_ = false;
  int awaited_ = 0;
  void Send(std::vector<uint8_t>& out, uint8_t code, std::span<const uint8_t> value, bool checked);

  // The line settings sent, by command code; SET-CONTROL's slot holds the
  // outbound flow control, the one control setting that is checked.
  std::array<std::vector<uint8_t>, 6> asked_{};
  std::optional<std::string> refusal_;
  bool carrierUp_ = false;
  bool carrierLost_ = false;
  bool suspended_ = false;
  bool purging_ = false;  // data before the purge's answer predates the open
};

}  // namespace travimo
