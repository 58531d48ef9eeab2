#include "platform/rfc2217_client.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/device_address.h"

namespace travimo {
namespace {

using Bytes = std::vector<uint8_t>;
using namespace telnet;

// The data and the reply that raw bytes from the server give.
std::pair<Bytes, Bytes> Feed(Rfc2217Client& client, const Bytes& raw) {
  std::pair<Bytes, Bytes> out;
  client.Receive(raw, out.first, out.second);
  return out;
}

Bytes Join(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
  return out;
}

Bytes Answer(uint8_t code, const Bytes& value) {
  return Join({{kIac, kSb, kComPort, code}, EscapeIac(value), {kIac, kSe}});
}

TEST(Rfc2217Client, DataKeepsEveryByteValueWhateverTheChunks) {
  Bytes all;
  for (int i = 0; i < 512; ++i) all.push_back(static_cast<uint8_t>(i));
  const Bytes escaped = EscapeIac(all);
  EXPECT_EQ(escaped.size(), all.size() + 2);
  for (const size_t chunk : {size_t{1}, size_t{2}, size_t{7}, escaped.size()}) {
    Rfc2217Client client;
    std::pair<Bytes, Bytes> total;  // appended to, piece by piece
    for (size_t from = 0; from < escaped.size(); from += chunk) {
      const size_t to = std::min(from + chunk, escaped.size());
      client.Receive(std::span(escaped).subspan(from, to - from), total.first, total.second);
    }
    EXPECT_EQ(total, std::pair(all, Bytes{})) << "chunks of " << chunk;
  }
}

// Each answer changes a state, so that two sides never loop on an option.
TEST(Rfc2217Client, AnswersOrRefusesTheServersOptions) {
  const struct {
    const char* what;
    Bytes from;
    Bytes reply;
    bool agreed = false;  // the COM port option
    bool refused = false;
  } cases[] = {
      {"an option asked for, agreed", {kIac, kDo, kBinary}, {}},
      {"agreed twice", {kIac, kDo, kBinary, kIac, kDo, kBinary}, {}},
      {"echo is refused", {kIac, kWill, 1}, {kIac, kDont, 1}},
      {"terminal type is refused", {kIac, kDo, 24}, {kIac, kWont, 24}},
      {"the server's own COM port client is refused",
       {kIac, kWill, kComPort},
       {kIac, kDont, kComPort}},
      {"an agreed option taken back is acknowledged",
       {kIac, kWill, kBinary, kIac, kWont, kBinary},
       {kIac, kDont, kBinary}},
      {"a refusal of a request is not answered", {kIac, kDont, kSuppressGoAhead}, {}},
      {"NOP and go-ahead carry nothing", {kIac, 241, 'x', kIac, 249}, {}},
      {"the COM port option agreed", {kIac, kDo, kComPort}, {}, true},
      {"the COM port option refused", {kIac, kDont, kComPort}, {}, false, true},
  };
  for (const auto& c : cases) {
    Rfc2217Client client;
    client.Greeting();
    EXPECT_EQ(Feed(client, c.from).second, c.reply) << c.what;
    EXPECT_EQ(client.ComPortAgreed(), c.agreed) << c.what;
    EXPECT_EQ(client.ComPortRefused(), c.refused) << c.what;
  }
}

// What the server says besides data: the purge's answer (data before it
// predates the open), the carrier, and flow control of what this side sends.
TEST(Rfc2217Client, SettingsAreSettledByTheirAnswersInAnyOrderAndNotificationsHonoured) {
  Rfc2217Client client;
  const Bytes sent = client.Configure({{65535, 'e', 7, 15}, 3});
  // A speed with 0xFF bytes goes escaped inside the subnegotiation.
  const Bytes speed = {kIac, kSb, kComPort, 1, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, kIac, kSe};
  EXPECT_NE(std::search(sent.begin(), sent.end(), speed.begin(), speed.end()), sent.end());
  EXPECT_FALSE(client.Settled());
  const Bytes answers =
      Join({{'o', 'l', 'd'}, Answer(112, {3}), {'n', 'e', 'w'}, Answer(105, {14}), Answer(105, {3}),
            Answer(104, {3}), Answer(103, {3}), Answer(102, {7}), Answer(101, {0, 0, 0xFF, 0xFF})});
  EXPECT_EQ(Feed(client, answers).first, (Bytes{'n', 'e', 'w'}));
  EXPECT_TRUE(client.Settled()) << "the purge first, as some servers do";
  EXPECT_FALSE(client.Refusal().has_value()) << *client.Refusal();

  // Carrier lost and sending suspended after each notice, in turn; a line
  // without carrier detect never had one to lose.
  const std::tuple<uint8_t, Bytes, bool, bool> notices[] = {
      {107, {0x00}, false, false}, {107, {0x80 | 0x08}, false, false},
      {107, {0x08}, true, false},  {108, {}, true, true},  {109, {}, true, false}};
  for (const auto& [code, value, lost, suspended] : notices) {
    Feed(client, Answer(code, value));
    EXPECT_EQ(std::pair(client.CarrierLost(), client.SendingSuspended()),
              std::pair(lost, suspended)) << int{code};
  }

  // How a refusal ends an open is the device-server suite's; here its words.
  Rfc2217Client refusing;
  refusing.Configure({{}, 2});
  Feed(refusing, Answer(105, {1}));
  EXPECT_EQ(refusing.Refusal().value_or(""),
            "asked for hardware flow control, the server set no flow control");
}

TEST(DeviceAddress, TellsTheFormsApart) {
  const struct {
    std::string device;
    Transport transport;
    std::string endpoint;
    bool sound;
  } cases[] = {
      {"/dev/ttyUSB0", Transport::Local, ":", true},
      {"socket://plant-7:4001", Transport::Socket, "plant-7:4001", true},
      {"RFC2217://10.0.0.5:2217", Transport::Rfc2217, "10.0.0.5:2217", true},
      {"rfc2217://[::1]:7000", Transport::Rfc2217, "[::1]:7000", true},
      {"socket://host", Transport::Socket, "host:", false},
      {"socket://:4001", Transport::Socket, ":4001", false},
      {"socket://host:40/01", Transport::Socket, "host:40/01", false},
  };
  for (const auto& c : cases) {
    const DeviceAddress a = ParseDeviceAddress(c.device);
    EXPECT_EQ(std::tuple(a.transport, a.Endpoint(), a.problem.empty()),
              std::tuple(c.transport, c.endpoint, c.sound))
        << c.device << ": " << a.problem;
  }
}

}  // namespace
}  // namespace travimo
