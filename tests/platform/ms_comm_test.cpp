#include "platform/ms_comm.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/error.h"
#include "support/caught_error.h"
#include "support/scripted_serial.h"
#include "support/virtual_host.h"

namespace travimo {
namespace {

using testing::ScriptedSerial;
using testing::VirtualHost;

using testing::CaughtError;
using testing::ErrorOf;

class MSCommTest : public ::testing::Test {
 protected:
  VirtualHost host;
  ScriptedSerial line{host};
  MSComm comm{host, line};
  std::vector<int16_t> events;

  void RecordEvents() {
    comm.OnComm([this] { events.push_back(comm.CommEvent()); });
  }
};

TEST_F(MSCommTest, OpensWithItsPropertiesWritesBytesUnchangedAndCloses) {
  comm.CommPort(3);
  comm.Settings("19200,E,7,2");
  comm.Handshaking(3);
  comm.DTREnable(true);
  comm.PortOpen(true);
  ASSERT_TRUE(comm.PortOpen());
  comm.Output(std::string("D\x01\x00\xff", 4));
  EXPECT_EQ(line.Written(), std::string("D\x01\x00\xff", 4));
  EXPECT_EQ(line.LastPort(), 3);
  EXPECT_EQ(line.LastOptions().line, (LineSettings{19200, 'e', 7, 20}));
  EXPECT_EQ(line.LastOptions().handshaking, 3);
  EXPECT_TRUE(line.LastOptions().dtrEnable);
  comm.PortOpen(false);
  EXPECT_FALSE(comm.PortOpen());
  EXPECT_FALSE(line.IsOpen());
  comm.PortOpen(false);  // closing a closed port changes nothing
}

TEST_F(MSCommTest, RefusesWhatTheStateOfThePortForbids) {
  EXPECT_EQ(ErrorOf([&] { comm.Output("W"); }), CommError::PortNotOpen);
  EXPECT_EQ(ErrorOf([&] { comm.Input(); }), CommError::PortNotOpen);
  EXPECT_EQ(comm.InBufferCount(), 0);  // read when the container saves
  comm.PortOpen(true);
  EXPECT_EQ(ErrorOf([&] { comm.PortOpen(true); }), CommError::PortAlreadyOpen);
  EXPECT_EQ(ErrorOf([&] { comm.InBufferSize(100); }), CommError::PortAlreadyOpen);
  EXPECT_EQ(ErrorOf([&] { comm.CommPort(2); }), CommError::PortAlreadyOpen);
  EXPECT_EQ(ErrorOf([&] { comm.Settings("1200,n,8,1"); }), CommError::PortAlreadyOpen);
  EXPECT_EQ(comm.InBufferSize(), 1024);
  EXPECT_EQ(comm.CommPort(), 1);
  EXPECT_EQ(comm.Settings(), "9600,n,8,1");
  comm.PortOpen(false);
  comm.InBufferSize(9096);
  EXPECT_EQ(comm.InBufferSize(), 9096);
}

TEST_F(MSCommTest, InvalidValuesLeaveThePropertyUnchanged) {
  for (const char* bad : {"", "9600,x,8,1"}) {
    EXPECT_EQ(ErrorOf([&] { comm.Settings(bad); }), ErrorNumber::InvalidPropertyValue) << bad;
  }
  EXPECT_EQ(comm.Settings(), "9600,n,8,1");
  for (const int16_t bad : {-1, 4}) {
    EXPECT_EQ(ErrorOf([&] { comm.Handshaking(bad); }), ErrorNumber::InvalidPropertyValue);
  }
  EXPECT_EQ(comm.Handshaking(), 0);
  EXPECT_EQ(ErrorOf([&] { comm.InBufferSize(0); }), ErrorNumber::InvalidPropertyValue);
  EXPECT_EQ(comm.InBufferSize(), 1024);
}

TEST_F(MSCommTest, OpenFailureNamesTheDevice) {
  line.FailOpen(true);
  comm.CommPort(4);
  try {
    comm.PortOpen(true);
    FAIL();
  } catch (const RuntimeError& error) {
    EXPECT_EQ(error.Number(), CommError::PortInvalid);
    EXPECT_NE(error.Description().find(line.DeviceFor(4)), std::string::npos);
  }
  EXPECT_FALSE(comm.PortOpen());
}

TEST_F(MSCommTest, InputKeepsNullBytesAndHonoursInputLen) {
  line.SendAfterOpen(0.0, std::string("ab\0cd", 5));
  comm.PortOpen(true);
  host.Yield();
  EXPECT_EQ(comm.InBufferCount(), 5);
  comm.InputLen(2);
  EXPECT_EQ(comm.Input(), "ab");
  comm.InputLen(0);
  EXPECT_EQ(comm.Input(), std::string("\0cd", 3));
  EXPECT_EQ(comm.Input(), "");
}

TEST_F(MSCommTest, ReceiveEventsOnlyInsideYieldsAndOnlyWithAThreshold) {
  RecordEvents();
  line.SendAfterOpen(0.05, "abc");
  line.SendAfterOpen(0.5, "def");
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
}

TEST_F(MSCommTest, ThresholdCountsWaitingCharacters) {
  RecordEvents();
  comm.RThreshold(4);
  line.SendAfterOpen(0.0, "ab");
  line.SendAfterOpen(0.1, "cd");
  comm.PortOpen(true);
  host.RunFor(0.05);
  EXPECT_TRUE(events.empty());
  host.RunFor(0.1);
  EXPECT_EQ(events.size(), 1u);
  comm.InBufferCount(0);  // empties the buffer
  EXPECT_EQ(comm.InBufferCount(), 0);
}

TEST_F(MSCommTest, EndOfFileCharacterRaisesItsOwnEventWhenEnabled) {
  RecordEvents();
  comm.RThreshold(1);
  comm.EOFEnable(true);
  line.SendAfterOpen(0.0, "a\x1a");
  comm.PortOpen(true);
  host.Yield();
  EXPECT_EQ(events, (std::vector<int16_t>{CommEventCode::Receive, CommEventCode::EndOfFile}));
  EXPECT_EQ(comm.Input(), "a\x1a");
}

TEST_F(MSCommTest, BufferHoldsAtMostInBufferSize) {
  comm.InBufferSize(10);
  line.SendAfterOpen(0.0, std::string(25, 'x'));
  comm.PortOpen(true);
  host.Yield();
  EXPECT_EQ(comm.InBufferCount(), 10);
  EXPECT_EQ(comm.Input().size(), 10u);
  EXPECT_EQ(comm.Input().size(), 10u);
  EXPECT_EQ(comm.Input().size(), 5u);
}

TEST_F(MSCommTest, HangUpKeepsReceivedDataThenFails) {
  line.SendAfterOpen(0.0, "last words");
  line.HangUpAfterOpen(0.05);
  comm.PortOpen(true);
  host.RunFor(0.2);
  EXPECT_TRUE(comm.PortOpen());
  EXPECT_EQ(comm.InBufferCount(), 10);
  EXPECT_EQ(comm.Input(), "last words");
  try {
    comm.InBufferCount();
    FAIL() << "an empty buffer on a lost line must fail";
  } catch (const RuntimeError& error) {
    EXPECT_EQ(error.Number(), CommError::ReadFailed);
    EXPECT_NE(error.Description().find(line.DeviceFor(1)), std::string::npos);
  }
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
