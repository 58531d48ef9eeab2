// The Windows platform: the line description a port gets, atomic file
// replacement with its error numbers, and the host's waiting loop.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

#include <travimo/model/error.h>
#include <travimo/platform/ms_comm.h>
#include "platform/windows/unique_handle.h"
#include "platform/windows/win32_serial.h"
#include "platform/windows/windows_file_system.h"
#include "platform/windows/windows_host.h"
#include "support/caught_error.h"

namespace travimo::windows {
namespace {

namespace fs = std::filesystem;
using travimo::testing::CaughtError;
using travimo::testing::ErrorOf;

TEST(Win32Serial, LineOptionsBecomeTheDeviceControlBlock) {
  const struct {
    const char* settings;
    int32_t handshaking;
    bool dtr;
    bool rts;
    BYTE parity;
    BYTE stopBits;
    DWORD rtsControl;
    bool xonXoff;
    bool errorChar;
  } cases[] = {
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
  const RuntimeError error = CaughtError([&] { backend.Open(250, PortOptions{}); });
  EXPECT_EQ(error.Number(), CommError::PortInvalid);
  EXPECT_NE(error.Description().find("COM250"), std::string::npos) << error.Description();
}

// A failed replace leaves the old entry and no temporary behind.
TEST(WindowsFiles, ReplaceLeavesExactlyTheNewBytesAndFailuresCarryTheFileErrorNumbers) {
  const fs::path dir =
      fs::temp_directory_path() / ("travimo-files-" + std::to_string(GetCurrentProcessId()));
  fs::create_directories(dir);
  const auto entries = [&] { return std::distance(fs::directory_iterator(dir), {}); };
  WindowsFileSystem files;
  const std::string target = (dir / "RawData.dat").string();
  const std::vector<uint8_t> bytes = {'P', 0, '\r', '\n', 0x1A, 0xFF};
  files.ReplaceContent(target, std::vector<uint8_t>(5000, 'x'));  // created
  files.ReplaceContent(target, bytes);                            // replaced over a longer file
  std::ifstream in(target, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}),
            std::string(bytes.begin(), bytes.end()));
  in.close();
  EXPECT_EQ(entries(), 1);
  EXPECT_TRUE(files.IsFile(target));
  EXPECT_FALSE(files.IsFile(dir.string()));
  files.Delete(target);
  EXPECT_FALSE(files.IsFile(target));

  const std::pair<std::function<void()>, int32_t> cases[] = {
      {[&] { files.Delete(target); }, 53},
      {[&] { files.ReplaceContent((dir / "no-such-dir" / "x.dat").string(), bytes); },
       ErrorNumber::PathFileAccess},
      {[&] { files.ReplaceContent(dir.string(), bytes); }, ErrorNumber::PathFileAccess},
  };
  for (const auto& [call, number] : cases) EXPECT_EQ(ErrorOf(call), number);
  EXPECT_EQ(entries(), 0);
  fs::remove_all(dir);
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
  EXPECT_EQ(source.serviced, 1) << "unregistered: left alone";

  EXPECT_GE(host.SecondsSinceMidnight(), 0.0);
  EXPECT_LT(host.SecondsSinceMidnight(), 86400.0);
  const RegionalSettings regional = host.Regional();
  EXPECT_FALSE(regional.decimalSeparator.empty());
  EXPECT_NE(regional.decimalSeparator, regional.groupingSeparator);
}

}  // namespace
}  // namespace travimo::windows
