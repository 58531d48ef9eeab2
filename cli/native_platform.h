#pragma once
// The operating system's own host services, file system and serial backend
// under the tool.
#include <cstdint>
#include <string>

#ifdef _WIN32
#include <travimo/model/error.h>
#include <travimo/platform/serial_trace.h>
#include "platform/windows/win32_serial.h"
#include "platform/windows/windows_file_system.h"
#include "platform/windows/windows_host.h"
#else
#include "platform/posix/device_backend.h"
#include <travimo/platform/posix/posix_file_system.h>
#include <travimo/platform/posix/posix_host.h>
#include "platform/posix/trace_file.h"
#endif

namespace travimo::cli {

#ifdef _WIN32
using NativeHost = windows::WindowsHost;
using NativeFileSystem = windows::WindowsFileSystem;
using NativeSerial = windows::Win32Backend;
using PortResolver = windows::PortResolver;
inline std::string NativeDeviceFor(int16_t commPort) {
  return windows::DefaultDeviceFor(commPort);
}
// Trace files are written by a POSIX routine so far: asking for one is
// refused before any port is touched.
class NativeTraceFile : public TraceSink {
 public:
  explicit NativeTraceFile(const std::string& path) : path_(path) {
    throw RuntimeError(ErrorNumber::PathFileAccess, std::string(kControlSource),
                       "Cannot write the trace file \"" + path +
                           "\": tracing is not available in the Windows build yet");
  }
  void Record(std::string_view) override {}
  const std::string& Path() const { return path_; }
  const std::string& Problem() const { return problem_; }

 private:
  std::string path_;
  std::string problem_;
};
#else
using NativeHost = posix::PosixHost;
using NativeFileSystem = posix::PosixFileSystem;
using NativeSerial = posix::DeviceBackend;
using PortResolver = posix::PortResolver;
inline std::string NativeDeviceFor(int16_t commPort) {
  return posix::DefaultDeviceFor(commPort);
}
using NativeTraceFile = posix::TraceFile;
#endif

}  // namespace travimo::cli
