#include "platform/rfc2217_client.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/device_address.h"

namespace travimo {
namespace {

using Bytes = std::vector<uint8_t>;
using namespace telnet;

struct Received {
  Bytes data;
  Bytes reply;
};

Received Feed(Rfc2217Client& client, const Bytes& raw) {
  Received out;
  client.Receive(raw, out.data, out.reply);
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
    Received total;  // appended to, piece by piece
    for (size_t from = 0; from < escaped.size(); from += chunk) {
      const size_t to = std::min(from + chunk, escaped.size());
      client.Receive(std::span(escaped).subspan(from, to - from), total.data, total.reply);
    }
    EXPECT_EQ(total.data, all) << "chunks of " << chunk;
    EXPECT_TRUE(total.reply.empty());
  }
}

// Each answer changes a state, so that two sides never loop on an option.
TEST(Rfc2217Client, AnswersOrRefusesTheServersOptions) {
  struct Case {
    const char* what;
    Bytes from;
    Bytes reply;
    bool agreed = false;  // the COM port option
    bool refused = false;
  };
  const Case cases[] = {
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
  for (const Case& c : cases) {
    Rfc2217Client client;
    client.Greeting();
    EXPECT_EQ(Feed(client, c.from).reply, c.reply) << c.what;
    EXPECT_EQ(client.ComPortAgreed(), c.agreed) << c.what;
    EXPECT_EQ(client.ComPortRefused(), c.refused) << c.what;
  }
}

// What the server says besides data: the purge's answer (data before it
// predates the open), the carrier, and flow control of what this side sends.
TEST(Rfc2217Client, SettingsAreSettledByTheirAnswersInAnyOrderAndNotificationsHonoured) {
  const PortOptions options{{65535, 'e', 7, 15}, 3};
  Rfc2217Client client;
  const Bytes sent = client.Configure(options);
  // A speed with 0xFF bytes goes escaped inside the subnegotiation.
  const Bytes speed = {kIac, kSb, kComPort, 1, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, kIac, kSe};
  EXPECT_NE(std::search(sent.begin(), sent.end(), speed.begin(), speed.end()), sent.end());
  EXPECT_FALSE(client.Settled());
  const Bytes answers =
      Join({{'o', 'l', 'd'}, Answer(112, {3}), {'n', 'e', 'w'}, Answer(105, {14}), Answer(105, {3}),
            Answer(104, {3}), Answer(103, {3}), Answer(102, {7}), Answer(101, {0, 0, 0xFF, 0xFF})});
  EXPECT_EQ(Feed(client, answers).data, (Bytes{'n', 'e', 'w'}));
  EXPECT_TRUE(client.Settled()) << "the purge first, as some servers do";
  EXPECT_FALSE(client.Refusal().has_value()) << *client.Refusal();

  Feed(client, Answer(107, {0x00}));
  EXPECT_FALSE(client.CarrierLost()) << "a line without carrier detect never had one";
  Feed(client, Answer(107, {0x80 | 0x08}));
  EXPECT_FALSE(client.CarrierLost());
  Feed(client, Answer(107, {0x08}));
  EXPECT_TRUE(client.CarrierLost());
  Feed(client, Answer(108, {}));
  EXPECT_TRUE(client.SendingSuspended());
  Feed(client, Answer(109, {}));
  EXPECT_FALSE(client.SendingSuspended());

  // How a refusal ends an open is the device-server suite's; here its words.
  Rfc2217Client refusing;
  refusing.Configure({{}, 2});
  Feed(refusing, Answer(105, {1}));
  EXPECT_EQ(refusing.Refusal().value_or(""),
            "asked for hardware flow control, the server set no flow control");
}

TEST(DeviceAddress, TellsTheFormsApart) {
  struct Case {
    std::string device;
    Transport transport;
    std::string endpoint;
    bool sound;
  };
  const Case cases[] = {
      {"/dev/ttyUSB0", Transport::Local, ":", true},
      {"socket://plant-7:4001", Transport::Socket, "plant-7:4001", true},
      {"RFC2217://10.0.0.5:2217", Transport::Rfc2217, "10.0.0.5:2217", true},
      {"rfc2217://[::1]:7000", Transport::Rfc2217, "[::1]:7000", true},
      {"socket://host", Transport::Socket, "host:", false},
      {"socket://:4001", Transport::Socket, ":4001", false},
      {"socket://host:40/01", Transport::Socket, "host:40/01", false},
  };
  for (const Case& c : cases) {
    const DeviceAddress address = ParseDeviceAddress(c.device);
    EXPECT_EQ(address.transport, c.transport) << c.device;
    EXPECT_EQ(address.problem.empty(), c.sound) << c.device << ": " << address.problem;
    if (c.transport != Transport::Local) {
      EXPECT_EQ(address.Endpoint(), c.endpoint) << c.device;
    }
  }
}

}  // namespace
}  // namespace travimo
