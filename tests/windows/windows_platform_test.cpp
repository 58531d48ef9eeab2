// The Windows platform: the line description a port gets, atomic file
// replacement with its error numbers, and the host's waiting loop.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "model/error.h"
#include "platform/ms_comm.h"
#include "platform/windows/unique_handle.h"
#include "platform/windows/win32_serial.h"
#include "platform/windows/windows_file_system.h"
#include "platform/windows/windows_host.h"

namespace travimo::windows {
namespace {

namespace fs = std::filesystem;

TEST(Win32Serial, LineOptionsBecomeTheDeviceControlBlock) {
  struct Case {
    const char* settings;
    int32_t handshaking;
    bool dtr;
    bool rts;
    BYTE parity;
    BYTE stopBits;
    DWORD rtsControl;
    bool xonXoff;
    bool errorChar;
  };
  const Case cases[] = {
      {"9600,n,8,1", 0, true, false, NOPARITY, ONESTOPBIT, RTS_CONTROL_DISABLE, false, false},
      {"9600,n,8,1", 3, false, false, NOPARITY, ONESTOPBIT, RTS_CONTROL_HANDSHAKE, true, false},
      {"19200,e,7,2", 1, false, true, EVENPARITY, TWOSTOPBITS, RTS_CONTROL_ENABLE, true, true},
      {"1200,o,5,1.5", 2, true, true, ODDPARITY, ONE5STOPBITS, RTS_CONTROL_HANDSHAKE, false, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.settings);
    PortOptions options;
    options.line = ParseLineSettings(c.settings);
    options.handshaking = c.handshaking;
    options.dtrEnable = c.dtr;
    options.rtsEnable = c.rts;
    options.inBufferSize = 9096;
    DCB dcb{};
    ApplyLineOptions(dcb, options);
    EXPECT_EQ(dcb.BaudRate, static_cast<DWORD>(options.line.baud));
    EXPECT_EQ(dcb.ByteSize, options.line.dataBits);
    EXPECT_EQ(dcb.Parity, c.parity);
    EXPECT_EQ(dcb.StopBits, c.stopBits);
    EXPECT_EQ(dcb.fDtrControl, c.dtr ? DTR_CONTROL_ENABLE : DTR_CONTROL_DISABLE);
    EXPECT_EQ(dcb.fRtsControl, c.rtsControl);
    EXPECT_EQ(dcb.fOutxCtsFlow != 0, c.rtsControl == RTS_CONTROL_HANDSHAKE);
    EXPECT_EQ(dcb.fOutX != 0, c.xonXoff);
    EXPECT_EQ(dcb.fInX != 0, c.xonXoff);
    EXPECT_EQ(dcb.fErrorChar != 0, c.errorChar);
    EXPECT_EQ(dcb.ErrorChar, '?');
    // Nulls and the EOF character are data: the text must keep them.
    EXPECT_EQ(dcb.fNull, 0u);
    EXPECT_EQ(dcb.fBinary, 1u);
    EXPECT_EQ(dcb.EofChar, 0x1A);
    EXPECT_EQ(dcb.fAbortOnError, 0u);
  }
}

TEST(Win32Serial, PortNamesReachEveryNumberAndAMissingPortIs8002) {
  EXPECT_EQ(DefaultDeviceFor(1), "\\\\.\\COM1");
  EXPECT_EQ(DefaultDeviceFor(12), "\\\\.\\COM12");
  Win32Backend backend;
  try {
    backend.Open(250, PortOptions{});
    FAIL() << "COM250 opened";
  } catch (const RuntimeError& error) {
    EXPECT_EQ(error.Number(), CommError::PortInvalid);
    EXPECT_NE(error.Description().find("COM250"), std::string::npos) << error.Description();
  }
}

class WindowsFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("travimo-files-" + std::to_string(GetCurrentProcessId()));
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string Content(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  size_t Entries() { return static_cast<size_t>(std::distance(fs::directory_iterator(dir_), {})); }

  fs::path dir_;
  WindowsFileSystem files_;
};

TEST_F(WindowsFiles, ReplaceLeavesExactlyTheNewBytesAndNoTemporaryFile) {
  const fs::path target = dir_ / "RawData.dat";
  const std::vector<uint8_t> longer(5000, 'x');
  const std::vector<uint8_t> bytes = {'P', 0, '\r', '\n', 0x1A, 0xFF};
  files_.ReplaceContent(target.string(), longer);  // created
  files_.ReplaceContent(target.string(), bytes);   // replaced over a longer file
  EXPECT_EQ(Content(target), std::string(bytes.begin(), bytes.end()));
  EXPECT_EQ(Entries(), 1u);
  EXPECT_TRUE(files_.IsFile(target.string()));
  EXPECT_FALSE(files_.IsFile(dir_.string()));
  files_.Delete(target.string());
  EXPECT_FALSE(files_.IsFile(target.string()));
}

TEST_F(WindowsFiles, FailuresCarryTheFileErrorNumbers) {
  const std::vector<uint8_t> bytes = {'a'};
  struct Case {
    std::function<void()> call;
    int32_t number;
  };
  const fs::path missingDir = dir_ / "no-such-dir" / "x.dat";
  const Case cases[] = {
      {[&] { files_.Delete((dir_ / "absent.dat").string()); }, 53},
      {[&] { files_.ReplaceContent(missingDir.string(), bytes); }, ErrorNumber::PathFileAccess},
      // A directory in the way: the old entry stays, no temporary is left.
      {[&] { files_.ReplaceContent(dir_.string(), bytes); }, ErrorNumber::PathFileAccess},
  };
  for (const auto& c : cases) {
    try {
      c.call();
      ADD_FAILURE() << "no failure";
    } catch (const RuntimeError& error) {
      EXPECT_EQ(error.Number(), c.number) << error.Description();
    }
  }
  EXPECT_EQ(Entries(), 0u);
}

// An IoSource on an event, as a serial connection offers its receive event.
class EventSource : public IoSource {
 public:
  EventSource() : event_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
  int PollDescriptor() const override { return WaitSlotOf(event_.Get()); }
  void Service() override {
    if (WaitForSingleObject(event_.Get(), 0) == WAIT_OBJECT_0) {
      ResetEvent(event_.Get());
      ++serviced;
    }
  }
  void Signal() { SetEvent(event_.Get()); }
  int serviced = 0;

 private:
  UniqueHandle event_;
};

TEST(WindowsHostLoop, SourcesAndTimersAreServicedInsideYields) {
  WindowsHost host;
  EventSource source;
  auto registration = host.AddSource(source);
  int ticks = 0;
  auto timer = host.CreateTimer([&] { ++ticks; });
  timer->Interval(20);
  timer->Enabled(true);

  source.Signal();
  host.Yield();
  EXPECT_EQ(source.serviced, 1);

  const double start = host.MonotonicSeconds();
  while (host.MonotonicSeconds() - start < 0.2) host.Yield();
  EXPECT_GE(ticks, 5);
  EXPECT_LE(ticks, 11);

  registration = SourceRegistration();
  source.Signal();
  host.Yield();
  EXPECT_EQ(source.serviced, 1);  // unregistered: left alone

  const double midnight = host.SecondsSinceMidnight();
  EXPECT_GE(midnight, 0.0);
  EXPECT_LT(midnight, 86400.0);
  const RegionalSettings regional = host.Regional();
  EXPECT_FALSE(regional.decimalSeparator.empty());
  EXPECT_NE(regional.decimalSeparator, regional.groupingSeparator);
}

}  // namespace
}  // namespace travimo::windows
