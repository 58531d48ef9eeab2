#include "platform/windows/win32_serial.h"

#include <travimo/model/error.h>
#include <travimo/platform/ms_comm.h>
#include "platform/windows/win32_connection.h"
#include "platform/windows/win32_text.h"

namespace travimo::windows {

namespace {

constexpr const char* kSource = "MSComm";
constexpr char kXon = 0x11;
constexpr char kXoff = 0x13;
constexpr char kEof = 0x1A;

BYTE ParityOf(char parity) {
  switch (parity) {
    case 'e':
      return EVENPARITY;
    case 'o':
      return ODDPARITY;
    case 'm':
      return MARKPARITY;
    case 's':
      return SPACEPARITY;
    default:
      return NOPARITY;
  }
}

BYTE StopBitsOf(int stopBitsTimesTen) {
  if (stopBitsTimesTen == 15) return ONE5STOPBITS;
  return stopBitsTimesTen == 20 ? TWOSTOPBITS : ONESTOPBIT;
}

std::string OpenProblem(DWORD error) {
  switch (error) {
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
      return "the port is in use";
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return "no such port";
    default:
      return SystemMessage(error);
  }
}

// A bare name such as "COM12" opens only through the device namespace.
std::wstring DevicePath(const std::string& device) {
  if (device.find_first_of("\\/") != std::string::npos) return Widen(device);
  return Widen("\\\\.\\" + device);
}

}  // namespace

std::string DefaultDeviceFor(int16_t commPort) {
  return "\\\\.\\COM" + std::to_string(commPort);
}

void ApplyLineOptions(DCB& dcb, const PortOptions& options) {
  const bool xonXoff = options.handshaking == 1 || options.handshaking == 3;
  const bool rtsCts = options.handshaking == 2 || options.handshaking == 3;
  const bool parity = options.line.parity != 'n';
  dcb.DCBlength = sizeof(DCB);
  dcb.BaudRate = static_cast<DWORD>(options.line.baud);
  dcb.ByteSize = static_cast<BYTE>(options.line.dataBits);
  dcb.Parity = ParityOf(options.line.parity);
  dcb.StopBits = StopBitsOf(options.line.stopBitsTimesTen);
  dcb.fBinary = TRUE;  // the EOF character is data; MSComm reports it
  dcb.fParity = parity ? TRUE : FALSE;
  dcb.fOutxCtsFlow = rtsCts ? TRUE : FALSE;
  dcb.fOutxDsrFlow = FALSE;
  dcb.fDtrControl = options.dtrEnable ? DTR_CONTROL_ENABLE : DTR_CONTROL_DISABLE;
  dcb.fDsrSensitivity = FALSE;
  dcb.fTXContinueOnXoff = TRUE;
  dcb.fOutX = xonXoff ? TRUE : FALSE;
  dcb.fInX = xonXoff ? TRUE : FALSE;
  dcb.fErrorChar = parity && !options.parityReplace.empty() ? TRUE : FALSE;
  dcb.fNull = FALSE;  // MSComm drops nulls itself when asked to
  dcb.fRtsControl = rtsCts              ? RTS_CONTROL_HANDSHAKE
                    : options.rtsEnable ? RTS_CONTROL_ENABLE
                                        : RTS_CONTROL_DISABLE;
  dcb.fAbortOnError = FALSE;
  const int inSize = options.inBufferSize > 0 ? options.inBufferSize : 1024;
  dcb.XonLim = static_cast<WORD>(inSize / 4);
  dcb.XoffLim = static_cast<WORD>(inSize / 4);
  dcb.XonChar = kXon;
  dcb.XoffChar = kXoff;
  dcb.ErrorChar = options.parityReplace.empty() ? '\0' : options.parityReplace[0];
  dcb.EofChar = kEof;
  dcb.EvtChar = '\0';
}

Win32Backend::Win32Backend(PortResolver resolver) : resolver_(std::move(resolver)) {}

std::string Win32Backend::DeviceFor(int16_t commPort) const {
  return resolver_(commPort);
}

std::unique_ptr<SerialConnection> Win32Backend::Open(int16_t commPort, const PortOptions& options) {
  const std::string device = DeviceFor(commPort);
  const auto refuse = [&](const std::string& why) {
    return RuntimeError(CommError::PortInvalid, kSource,
                        "Cannot open COM" + std::to_string(commPort) + " (" + device + "): " + why);
  };
  if (device.empty()) throw refuse("no device is assigned to this port");

  // No sharing: a port is one program's at a time.
  UniqueHandle port(CreateFileW(DevicePath(device).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr));
  if (!port.Valid()) throw refuse(OpenProblem(GetLastError()));
  if (GetFileType(port.Get()) != FILE_TYPE_CHAR) throw refuse("not a serial device");

  // Queue sizes are a request the driver may round or ignore.
  SetupComm(port.Get(), static_cast<DWORD>(std::max<int16_t>(options.inBufferSize, 1)),
            static_cast<DWORD>(std::max<int16_t>(options.outBufferSize, 1)));
  DCB dcb{};
  dcb.DCBlength = sizeof(DCB);
  if (!GetCommState(port.Get(), &dcb)) throw refuse("not a serial device");
  ApplyLineOptions(dcb, options);
  if (!SetCommState(port.Get(), &dcb)) {
    throw refuse("the device refuses the line settings " + FormatLineSettings(options.line) + ": " +
                 SystemMessage(GetLastError()));
  }
  PurgeComm(port.Get(), PURGE_RXABORT | PURGE_RXCLEAR | PURGE_TXABORT | PURGE_TXCLEAR);

  auto connection = std::make_unique<Win32Connection>(
      std::move(port), device, options.handshaking == 2 || options.handshaking == 3);
  connection->SetModemLines(options.dtrEnable, options.rtsEnable);
  return connection;
}

}  // namespace travimo::windows
