#include "platform/rfc2217_client.h"

#include <algorithm>

namespace travimo {

namespace {

using namespace telnet;

// Command codes of the COM port option; a server answers code + 100.
namespace Code {
constexpr uint8_t SetBaudRate = 1;
constexpr uint8_t SetDataSize = 2;
constexpr uint8_t SetParity = 3;
constexpr uint8_t SetStopSize = 4;
constexpr uint8_t SetControl = 5;
constexpr uint8_t FlowSuspend = 8;
constexpr uint8_t FlowResume = 9;
constexpr uint8_t SetLineStateMask = 10;
constexpr uint8_t SetModemStateMask = 11;
constexpr uint8_t PurgeData = 12;
constexpr uint8_t NotifyModemState = 7;
constexpr uint8_t kAnswer = 100;
}  // namespace Code

namespace ControlValue {
constexpr uint8_t NoFlow = 1;
constexpr uint8_t XonXoff = 2;
constexpr uint8_t Hardware = 3;
constexpr uint8_t DtrOn = 8;
constexpr uint8_t DtrOff = 9;
constexpr uint8_t RtsOn = 11;
constexpr uint8_t RtsOff = 12;
constexpr uint8_t InboundXonXoff = 15;
}  // namespace ControlValue

bool IsOutboundFlow(uint8_t value) {
  return (value >= ControlValue::NoFlow && value <= ControlValue::Hardware) ||
         (value >= 17 && value <= 19);  // flow on DCD, DSR, or the server's own
}

constexpr uint8_t kCarrierDetect = 0x80;
constexpr uint8_t kCarrierDelta = 0x08;
constexpr uint8_t kPurgeBoth = 3;
constexpr size_t kLongestSubnegotiation = 64;

uint8_t ParityCode(char parity) {
  switch (parity) {
    case 'o':
      return 2;
    case 'e':
      return 3;
    case 'm':
      return 4;
    case 's':
      return 5;
    default:
      return 1;
  }
}

uint8_t StopSizeCode(int stopBitsTimesTen) {
  return stopBitsTimesTen == 20 ? 2 : stopBitsTimesTen == 15 ? 3 : 1;
}

uint8_t FlowCode(int32_t handshaking) {
  return handshaking >= 2   ? ControlValue::Hardware
         : handshaking == 1 ? ControlValue::XonXoff
                            : ControlValue::NoFlow;
}

std::string Describe(uint8_t code, std::span<const uint8_t> value) {
  if (value.empty()) return "nothing";
  switch (code) {
    case Code::SetBaudRate: {
      uint32_t baud = 0;
      for (const uint8_t byte : value) baud = baud << 8 | byte;
      return std::to_string(baud) + " baud";
    }
    case Code::SetDataSize:
      return std::to_string(value[0]) + " data bits";
    case Code::SetParity: {
      static constexpr const char* kNames[] = {"?", "no", "odd", "even", "mark", "space"};
      return std::string(value[0] < 6 ? kNames[value[0]] : "unknown") + " parity";
    }
    case Code::SetStopSize:
      return value[0] == 3 ? "1.5 stop bits" : std::to_string(value[0]) + " stop bits";
    default: {
      static constexpr const char* kFlows[] = {"?", "no flow control", "XON/XOFF flow control",
                                               "hardware flow control"};
      return value[0] < 4 ? kFlows[value[0]] : "control value " + std::to_string(value[0]);
    }
  }
}

}  // namespace

std::vector<uint8_t> EscapeIac(std::span<const uint8_t> data) {
  std::vector<uint8_t> escaped;
  escaped.reserve(data.size() + data.size() / 16);
  for (const uint8_t byte : data) {
    escaped.push_back(byte);
    if (byte == kIac) escaped.push_back(kIac);
  }
  return escaped;
}

Rfc2217Client::Rfc2217Client() {
  us_.fill(State::No);
  him_.fill(State::No);
}

bool Rfc2217Client::Wanted(uint8_t option) {
  return option == kBinary || option == kSuppressGoAhead;
}

void Rfc2217Client::Ask(std::vector<uint8_t>& out, uint8_t verb, uint8_t option) {
  (verb == kWill ? us_ : him_)[option] = State::Asked;
  out.insert(out.end(), {kIac, verb, option});
}

std::vector<uint8_t> Rfc2217Client::Greeting() {
  std::vector<uint8_t> out;
  for (const uint8_t option : {kBinary, kSuppressGoAhead}) {
    Ask(out, kWill, option);
    Ask(out, kDo, option);
  }
  Ask(out, kWill, kComPort);
  return out;
}

void Rfc2217Client::Send(std::vector<uint8_t>& out, uint8_t code, std::span<const uint8_t> value,
                         bool checked) {
  out.insert(out.end(), {kIac, kSb, kComPort, code});
  const auto escaped = EscapeIac(value);
  out.insert(out.end(), escaped.begin(), escaped.end());
  out.insert(out.end(), {kIac, kSe});
  if (checked && code < asked_.size()) asked_[code].assign(value.begin(), value.end());
  if (checked) ++awaited_;
}

std::vector<uint8_t> Rfc2217Client::Configure(const PortOptions& options) {
  std::vector<uint8_t> out;
  const auto baud = static_cast<uint32_t>(options.line.baud);
  const uint8_t baudBytes[] = {static_cast<uint8_t>(baud >> 24), static_cast<uint8_t>(baud >> 16),
                               static_cast<uint8_t>(baud >> 8), static_cast<uint8_t>(baud)};
  Send(out, Code::SetBaudRate, baudBytes, true);
  const uint8_t size[] = {static_cast<uint8_t>(options.line.dataBits)};
  Send(out, Code::SetDataSize, size, true);
  const uint8_t parity[] = {ParityCode(options.line.parity)};
  Send(out, Code::SetParity, parity, true);
  const uint8_t stop[] = {StopSizeCode(options.line.stopBitsTimesTen)};
  Send(out, Code::SetStopSize, stop, true);
  const uint8_t flow[] = {FlowCode(options.handshaking)};
  Send(out, Code::SetControl, flow, true);
  // "Both" has no single code: hardware outbound, and XON/XOFF for what comes in.
  if (options.handshaking == 3) {
    const uint8_t inbound[] = {ControlValue::InboundXonXoff};
    Send(out, Code::SetControl, inbound, false);
  }
  const auto lines = ModemLines(options.dtrEnable, options.rtsEnable);
  out.insert(out.end(), lines.begin(), lines.end());
  const uint8_t noLineState[] = {0};
  Send(out, Code::SetLineStateMask, noLineState, false);
  const uint8_t carrier[] = {kCarrierDetect | kCarrierDelta};
  Send(out, Code::SetModemStateMask, carrier, false);
  const uint8_t purge[] = {kPurgeBoth};
  Send(out, Code::PurgeData, purge, true);
  purging_ = true;
  return out;
}

std::vector<uint8_t> Rfc2217Client::ModemLines(bool dtr, bool rts) {
  std::vector<uint8_t> out;
  // Servers without modem lines (a pseudo-terminal behind one) answer as they
  // can; a local port without them is not refused either.
  const uint8_t dtrValue[] = {dtr ? ControlValue::DtrOn : ControlValue::DtrOff};
  Send(out, Code::SetControl, dtrValue, false);
  const uint8_t rtsValue[] = {rts ? ControlValue::RtsOn : ControlValue::RtsOff};
  Send(out, Code::SetControl, rtsValue, false);
  return out;
}

void Rfc2217Client::Receive(std::span<const uint8_t> raw, std::vector<uint8_t>& data,
                            std::vector<uint8_t>& reply) {
  for (const uint8_t byte : raw) {
    switch (phase_) {
      case Phase::Data:
        if (byte == kIac) {
          phase_ = Phase::Iac;
        } else if (!purging_) {
          data.push_back(byte);
        }
        break;
      case Phase::Iac:
        if (byte == kIac) {
          if (!purging_) data.push_back(kIac);
          phase_ = Phase::Data;
        } else if (byte >= kWill && byte <= kDont) {
          verb_ = byte;
          phase_ = Phase::Option;
        } else if (byte == kSb) {
          sub_.clear();
          phase_ = Phase::Sub;
        } else {
          phase_ = Phase::Data;  // NOP, go-ahead and the like carry nothing for us
        }
        break;
      case Phase::Option:
        Command(verb_, byte, reply);
        phase_ = Phase::Data;
        break;
      case Phase::Sub:
        if (byte == kIac) {
          phase_ = Phase::SubIac;
        } else if (sub_.size() < kLongestSubnegotiation) {
          sub_.push_back(byte);
        }
        break;
      case Phase::SubIac:
        if (byte == kIac) {
          if (sub_.size() < kLongestSubnegotiation) sub_.push_back(kIac);
          phase_ = Phase::Sub;
        } else {
          if (byte == kSe) Subnegotiation();
          phase_ = Phase::Data;
        }
        break;
    }
  }
}

// Answers as RFC 1143 asks: only a change of state is answered, so that two
// sides can never loop on one option.
void Rfc2217Client::Command(uint8_t verb, uint8_t option, std::vector<uint8_t>& reply) {
  const bool mine = Wanted(option) || option == kComPort;
  switch (verb) {
    case kDo:
      if (!mine) {
        reply.insert(reply.end(), {kIac, kWont, option});
      } else if (us_[option] != State::Yes) {
        if (us_[option] == State::No) reply.insert(reply.end(), {kIac, kWill, option});
        us_[option] = State::Yes;
      }
      break;
    case kDont:
      if (us_[option] == State::Yes) reply.insert(reply.end(), {kIac, kWont, option});
      us_[option] = State::No;
      if (option == kComPort) comPortRefused_ = true;
      break;
    case kWill:
      if (!Wanted(option)) {
        reply.insert(reply.end(), {kIac, kDont, option});
      } else if (him_[option] != State::Yes) {
        if (him_[option] == State::No) reply.insert(reply.end(), {kIac, kDo, option});
        him_[option] = State::Yes;
      }
      break;
    default:  // WONT
      if (him_[option] == State::Yes) reply.insert(reply.end(), {kIac, kDont, option});
      him_[option] = State::No;
      break;
  }
}

void Rfc2217Client::Subnegotiation() {
  if (sub_.size() < 2 || sub_[0] != kComPort) return;
  Answer(sub_[1], std::span(sub_).subspan(2));
}

void Rfc2217Client::Answer(uint8_t code, std::span<const uint8_t> value) {
  if (code == Code::FlowSuspend + Code::kAnswer || code == Code::FlowSuspend) {
    suspended_ = true;
    return;
  }
  if (code == Code::FlowResume + Code::kAnswer || code == Code::FlowResume) {
    suspended_ = false;
    return;
  }
  if (code == Code::NotifyModemState + Code::kAnswer && !value.empty()) {
    const bool carrier = (value[0] & kCarrierDetect) != 0;
    if (carrierUp_ && !carrier) carrierLost_ = true;
    carrierUp_ = carrierUp_ || carrier;
    return;
  }
  if (code < Code::kAnswer) return;
  const uint8_t asked = code - Code::kAnswer;
  if (asked >= Code::SetBaudRate && asked <= Code::SetStopSize) {
    Check(asked, asked_[asked], value);
  } else if (asked == Code::SetControl && !value.empty() && IsOutboundFlow(value[0])) {
    // Servers answer the control settings out of order or not at all (a
    // line without modem lines); the value's own range says what it answers.
    Check(asked, asked_[asked], value);
  } else if (asked == Code::PurgeData) {
    purging_ = false;
    if (awaited_ > 0) --awaited_;
  }
}

void Rfc2217Client::Check(uint8_t code, std::span<const uint8_t> asked,
                          std::span<const uint8_t> got) {
  if (awaited_ > 0) --awaited_;
  if (asked.empty() || std::equal(asked.begin(), asked.end(), got.begin(), got.end())) return;
  if (!refusal_) {
    refusal_ = "asked for " + Describe(code, asked) + ", the server set " + Describe(code, got);
  }
}

}  // namespace travimo
