#include <travimo/platform/ms_comm.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include <travimo/model/error.h>
#include "support/caught_error.h"
#include "support/scripted_serial.h"
#include "support/virtual_host.h"

namespace travimo {
namespace {

using testing::CaughtError;
using testing::ErrorOf;

struct MSCommTest : ::testing::Test {
  testing::VirtualHost host;
  testing::ScriptedSerial line{host};
  MSComm comm{host, line};
};

// What the port's state or the value forbids is refused and changes nothing.
TEST_F(MSCommTest, RefusalsLeaveEveryPropertyAsItWas) {
  constexpr int32_t kInvalid = ErrorNumber::InvalidPropertyValue;
  const struct {
    bool open;
    std::function<void()> call;
    int32_t error;
  } cases[] = {
      {false, [&] { comm.Output("W"); }, CommError::PortNotOpen},
      {false, [&] { comm.Input(); }, CommError::PortNotOpen},
      {false, [&] { comm.Handshaking(-1); }, kInvalid},
      {false, [&] { comm.Handshaking(4); }, kInvalid},
      {false, [&] { comm.InBufferSize(0); }, kInvalid},
      {true, [&] { comm.PortOpen(true); }, CommError::PortAlreadyOpen},
      {true, [&] { comm.InBufferSize(100); }, CommError::PortAlreadyOpen},
      {true, [&] { comm.CommPort(2); }, CommError::PortAlreadyOpen},
      {true, [&] { comm.Settings("1200,n,8,1"); }, CommError::PortAlreadyOpen},
  };
  EXPECT_EQ(comm.InBufferCount(), 0);  // read when the container saves, open or not
  for (size_t i = 0; i < std::size(cases); ++i) {
    if (comm.PortOpen() != cases[i].open) comm.PortOpen(cases[i].open);
    EXPECT_EQ(ErrorOf(cases[i].call), cases[i].error) << "row " << i;
  }
  EXPECT_EQ(std::tuple(comm.InBufferSize(), comm.CommPort(), comm.Settings(), comm.Handshaking()),
            std::tuple(1024, 1, "9600,n,8,1", 0));
  comm.PortOpen(false);
  line.FailOpen(true);
  comm.CommPort(4);
  const RuntimeError missing = CaughtError([&] { comm.PortOpen(true); });
  EXPECT_EQ(missing.Number(), CommError::PortInvalid);
  EXPECT_NE(missing.Description().find(line.DeviceFor(4)), std::string::npos);
}

// The port opens with its properties and settings in every form of the line
// description, which the trace and the tool print in one; bytes go out
// unchanged. Malformed settings are refused quoting them and change nothing.
TEST_F(MSCommTest, OpensWithItsPropertiesAndSettingsAndRefusesMalformedText) {
  const struct {
    const char* text;
    LineSettings expected;
    const char* formatted;
  } cases[] = {
      {"9600,n,8,1", {9600, 'n', 8, 10}, "9600,n,8,1"},
      {"19200,E,7,2", {19200, 'e', 7, 20}, "19200,e,7,2"},
      {"110,o,5,1.5", {110, 'o', 5, 15}, "110,o,5,1.5"},
      {"31250,M,4,1", {31250, 'm', 4, 10}, "31250,m,4,1"},
      {" 1200 , s , 6 , 2 ", {1200, 's', 6, 20}, "1200,s,6,2"},
  };
  comm.CommPort(3);
  comm.Handshaking(3);
  comm.DTREnable(true);
  for (const auto& c : cases) {
    comm.Settings(c.text);
    comm.PortOpen(true);
    const PortOptions& options = line.LastOptions();
    EXPECT_EQ(std::tuple(line.LastPort(), options.line, FormatLineSettings(options.line),
                         options.handshaking, options.dtrEnable),
              std::tuple(3, c.expected, c.formatted, 3, true)) << c.text;
    comm.PortOpen(false);
    EXPECT_FALSE(line.IsOpen());
  }
  comm.PortOpen(true);
  comm.Output(std::string("D\x01\x00\xff", 4));
  EXPECT_EQ(line.Written(), std::string("D\x01\x00\xff", 4));
  comm.PortOpen(false);
  comm.PortOpen(false);  // closing a closed port changes nothing
  for (const char* text :
       {"", "9600", "9600,n,8", "9600,n,8,1,0", "0,n,8,1", "-300,n,8,1", "96x0,n,8,1",
        "99999999999,n,8,1", "9600,,8,1", "9600,no,8,1", "9600,x,8,1", "9600,n,3,1", "9600,n,9,1",
        "9600,n,8,0", "9600,n,8,1.0"}) {
    const RuntimeError error = CaughtError([&] { comm.Settings(text); });
    EXPECT_EQ(error.Number(), ErrorNumber::InvalidPropertyValue) << text;
    EXPECT_NE(error.Description().find("\"" + std::string(text) + "\""), std::string::npos);
    EXPECT_EQ(comm.Settings(), " 1200 , s , 6 , 2 ");
  }
}

// Events come only inside yields and only with a threshold, which counts the
// characters waiting; end of file has an event of its own.
TEST_F(MSCommTest, ReceiveEventsFollowTheThresholdOnlyInsideYields) {
  std::vector<int16_t> events;
  comm.OnComm([&] { events.push_back(comm.CommEvent()); });
  const std::pair<double, const char*> arrivals[] = {
      {0.05, "abc"}, {0.5, "def"}, {1.0, "ab"}, {1.1, "c\x1a"}};
  for (const auto& [at, bytes] : arrivals) line.SendAfterOpen(at, bytes);
  comm.EOFEnable(true);
  comm.PortOpen(true);
  host.RunFor(0.2);
  EXPECT_TRUE(events.empty()) << "RThreshold 0 raises nothing";
  EXPECT_EQ(comm.InBufferCount(), 3);
  comm.RThreshold(1);
  EXPECT_TRUE(events.empty()) << "no event inside a property call";
  host.Yield();
  EXPECT_EQ(events, std::vector<int16_t>{CommEventCode::Receive});
  host.RunFor(0.1);
  EXPECT_EQ(events.size(), 1u) << "nothing new arrived";
  host.RunFor(0.5);
  EXPECT_EQ(events.size(), 2u);
  EXPECT_EQ(comm.Input(), "abcdef");
  comm.RThreshold(4);
  host.RunFor(0.25);
  EXPECT_EQ(events.size(), 2u) << "two waiting are below the threshold";
  host.RunFor(0.1);
  EXPECT_EQ(events, (std::vector<int16_t>{CommEventCode::Receive, CommEventCode::Receive,
                                          CommEventCode::Receive, CommEventCode::EndOfFile}));
  comm.InBufferCount(0);
  EXPECT_EQ(comm.Input(), "") << "the buffer was emptied";
}

// Input keeps null bytes and honours InputLen; the buffer holds at most
// InBufferSize and refills from the line. After a hang-up what was received
// stays readable, then every use fails naming the device, which is released
// at once; a fresh open starts clean.
TEST_F(MSCommTest, InputHonoursInputLenAndInBufferSizeAndOutlivesAHangUp) {
  comm.InBufferSize(10);
  line.SendAfterOpen(0.0, std::string("ab\0cd", 5) + std::string(20, 'x'));
  line.HangUpAfterOpen(0.05);
  comm.PortOpen(true);
  host.RunFor(0.2);
  EXPECT_EQ(comm.InBufferCount(), 10);
  comm.InputLen(2);
  EXPECT_EQ(comm.Input(), "ab");
  comm.InputLen(0);
  EXPECT_EQ(comm.Input(), std::string("\0cd", 3) + std::string(7, 'x')) << "refilled to 10";
  EXPECT_EQ(comm.Input(), std::string(10, 'x'));
  EXPECT_EQ(comm.Input(), std::string(3, 'x')) << "received as the line hung up";
  const RuntimeError lost = CaughtError([&] { comm.InBufferCount(); });
  EXPECT_EQ(lost.Number(), CommError::ReadFailed) << "an empty buffer on a lost line fails";
  EXPECT_NE(lost.Description().find(line.DeviceFor(1)), std::string::npos);
  EXPECT_EQ(ErrorOf([&] { comm.Input(); }), CommError::ReadFailed);
  EXPECT_EQ(ErrorOf([&] { comm.Output("W"); }), CommError::ReadFailed);
  EXPECT_FALSE(line.IsOpen()) << "the device is released at once";
  comm.PortOpen(false);
  line.Clear();
  comm.PortOpen(true);
  EXPECT_EQ(comm.InBufferCount(), 0) << "a fresh open starts clean";
}

}  // namespace
}  // namespace travimo
