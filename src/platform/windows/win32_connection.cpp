#include "platform/windows/win32_connection.h"

#include <algorithm>
#include <cstring>

#include <travimo/model/error.h>
#include <travimo/platform/ms_comm.h>
#include "platform/windows/win32_text.h"

namespace travimo::windows {

namespace {

constexpr const char* kSource = "MSComm";
constexpr DWORD kChunk = 4096;
// A waiting read ends this long after the data pauses, and at the latest
// after kWaitingReadMs, so what arrived reaches the control promptly.
constexpr DWORD kPauseMs = 50;
constexpr DWORD kWaitingReadMs = 1000;
// How long a write may wait for room (flow control held off, full buffer).
constexpr DWORD kWriteWaitMs = 2000;
constexpr DWORD kNotifyMask = EV_RXCHAR | EV_ERR;

// Short reads return at once with what is waiting.
bool UseShortReads(HANDLE port) {
  COMMTIMEOUTS timeouts{};
  timeouts.ReadIntervalTimeout = MAXDWORD;
  timeouts.WriteTotalTimeoutConstant = kWriteWaitMs;
  return SetCommTimeouts(port, &timeouts) != 0;
}

void UseWaitingReads(HANDLE port) {
  COMMTIMEOUTS timeouts{};
  timeouts.ReadIntervalTimeout = kPauseMs;
  timeouts.ReadTotalTimeoutConstant = kWaitingReadMs;
  timeouts.WriteTotalTimeoutConstant = kWriteWaitMs;
  SetCommTimeouts(port, &timeouts);
}

UniqueHandle ManualEvent() {
  return UniqueHandle(CreateEventW(nullptr, TRUE, FALSE, nullptr));
}

}  // namespace

Win32Connection::Win32Connection(UniqueHandle port, std::string device, bool rtsHandshake)
    : port_(std::move(port)),
      device_(std::move(device)),
      rtsHandshake_(rtsHandshake),
      ready_(ManualEvent()),
      io_(ManualEvent()),
      chunk_(kChunk) {
  watch_.hEvent = ready_.Get();
  if (!UseShortReads(port_.Get()) || !SetCommMask(port_.Get(), kNotifyMask)) {
    FallBackToWaitingReads();
  }
}

Win32Connection::~Win32Connection() {
  CancelPending();
}

int Win32Connection::PollDescriptor() const {
  return port_.Valid() ? WaitSlotOf(ready_.Get()) : -1;
}

// The overlapped structure and the chunk must outlive the request: cancel and
// wait for it before either goes.
void Win32Connection::CancelPending() {
  if (!watching_ || !port_.Valid()) return;
  CancelIoEx(port_.Get(), &watch_);
  DWORD ignored = 0;
  GetOverlappedResult(port_.Get(), &watch_, &ignored, TRUE);
  watching_ = false;
}

void Win32Connection::FallBackToWaitingReads() {
  CancelPending();
  notifies_ = false;
  SetCommMask(port_.Get(), 0);
  UseWaitingReads(port_.Get());
}

ReadOutcome Win32Connection::Read(std::span<uint8_t> into) {
  ReadOutcome outcome;
  if (!port_.Valid()) {
    outcome.hungUp = true;
    outcome.problem = "the device is closed";
    return outcome;
  }
  while (outcome.count < into.size()) {
    if (chunkStart_ < chunkEnd_) {
      const size_t n = std::min(chunkEnd_ - chunkStart_, into.size() - outcome.count);
      std::memcpy(into.data() + outcome.count, chunk_.data() + chunkStart_, n);
      chunkStart_ += n;
      outcome.count += n;
      continue;
    }
    if (!Collect(outcome)) return outcome;
    if (chunkStart_ < chunkEnd_) continue;
    if (notifies_) {
      // Armed before reading: a byte arriving after the read still wakes the host.
      if (!ArmNotification(outcome)) return outcome;
      if (!notifies_) continue;
      const size_t got = ReadWaiting(into.subspan(outcome.count), outcome);
      if (outcome.hungUp || got == 0) break;
      outcome.count += got;
    } else {
      if (!watching_ && !StartWaitingRead(outcome)) return outcome;
      // Pending, or finished at once with nothing: either way, wait for the next yield.
      if (watching_ || chunkEnd_ == 0) break;
    }
  }
  // Bytes held back for lack of room must wake the host again.
  if (chunkStart_ < chunkEnd_) SetEvent(ready_.Get());
  return outcome;
}

// Takes the result of a finished WaitCommEvent or waiting read. False when the
// line is lost.
bool Win32Connection::Collect(ReadOutcome& outcome) {
  if (!watching_) return true;
  DWORD got = 0;
  if (GetOverlappedResult(port_.Get(), &watch_, &got, FALSE)) {
    watching_ = false;
    if (!notifies_) {
      chunkStart_ = 0;
      chunkEnd_ = got;
    } else if ((events_ & kNotifyMask) == 0) {
      // A driver that reports events without saying which cannot notify.
      FallBackToWaitingReads();
    } else if ((events_ & EV_ERR) != 0) {
      DWORD errors = 0;
      ClearCommError(port_.Get(), &errors, nullptr);
    }
    return true;
  }
  const DWORD error = GetLastError();
  if (error == ERROR_IO_INCOMPLETE) return true;
  watching_ = false;
  if (!notifies_ && error == ERROR_TIMEOUT) {
    // Some drivers end a timed-out overlapped read with an error, not 0 bytes.
    chunkStart_ = 0;
    chunkEnd_ = got;
    return true;
  }
  if (notifies_) {
    FallBackToWaitingReads();
    return true;
  }
  return Lost(outcome, error);
}

bool Win32Connection::ArmNotification(ReadOutcome& outcome) {
  if (watching_) return true;
  ResetEvent(ready_.Get());
  events_ = 0;
  if (WaitCommEvent(port_.Get(), &events_, &watch_)) {
    // Finished at once: the data is read below; an empty mask means no notification.
    if ((events_ & kNotifyMask) == 0) FallBackToWaitingReads();
    return true;
  }
  const DWORD error = GetLastError();
  if (error == ERROR_IO_PENDING) {
    watching_ = true;
    return true;
  }
  if (error == ERROR_INVALID_HANDLE || error == ERROR_BAD_COMMAND ||
      error == ERROR_DEVICE_NOT_CONNECTED) {
    return Lost(outcome, error);
  }
  FallBackToWaitingReads();
  return true;
}

bool Win32Connection::StartWaitingRead(ReadOutcome& outcome) {
  chunkStart_ = chunkEnd_ = 0;
  DWORD got = 0;
  if (ReadFile(port_.Get(), chunk_.data(), kChunk, &got, &watch_)) {
    chunkEnd_ = got;
    // An empty read that ended at once must not keep the host awake.
    if (got == 0) ResetEvent(ready_.Get());
    return true;
  }
  const DWORD error = GetLastError();
  if (error == ERROR_IO_PENDING) {
    watching_ = true;
    return true;
  }
  if (error == ERROR_TIMEOUT) return true;
  return Lost(outcome, error);
}

// A short read: what the driver holds now, without waiting.
size_t Win32Connection::ReadWaiting(std::span<uint8_t> into, ReadOutcome& outcome) {
  OVERLAPPED request{};
  request.hEvent = io_.Get();
  DWORD got = 0;
  const DWORD size = static_cast<DWORD>(std::min<size_t>(into.size(), kChunk));
  if (!ReadFile(port_.Get(), into.data(), size, &got, &request)) {
    const DWORD error = GetLastError();
    if (error != ERROR_IO_PENDING) {
      if (error != ERROR_TIMEOUT) Lost(outcome, error);
      return 0;
    }
    if (!GetOverlappedResult(port_.Get(), &request, &got, TRUE)) {
      const DWORD late = GetLastError();
      if (late != ERROR_TIMEOUT) Lost(outcome, late);
      return got;
    }
  }
  return got;
}

bool Win32Connection::Lost(ReadOutcome& outcome, unsigned long error) {
  CancelPending();
  port_.Reset();
  outcome.hungUp = true;
  outcome.problem = SystemMessage(error);
  return false;
}

void Win32Connection::Write(std::span<const uint8_t> bytes) {
  const auto fail = [&](const std::string& why) {
    throw RuntimeError(CommError::WriteFailed, kSource, "Cannot write to " + device_ + ": " + why);
  };
  while (!bytes.empty()) {
    if (!port_.Valid()) fail("the device is closed");
    OVERLAPPED request{};
    request.hEvent = io_.Get();
    DWORD put = 0;
    const DWORD size = static_cast<DWORD>(std::min<size_t>(bytes.size(), kChunk));
    if (!WriteFile(port_.Get(), bytes.data(), size, &put, &request)) {
      const DWORD error = GetLastError();
      if (error != ERROR_IO_PENDING) fail(SystemMessage(error));
      // The write timeout bounds this wait.
      if (!GetOverlappedResult(port_.Get(), &request, &put, TRUE)) {
        const DWORD late = GetLastError();
        if (late != ERROR_TIMEOUT) fail(SystemMessage(late));
      }
    }
    if (put == 0) fail("the line accepts no more data (flow control held?)");
    bytes = bytes.subspan(put);
  }
}

void Win32Connection::SetModemLines(bool dtr, bool rts) {
  if (!port_.Valid()) return;
  EscapeCommFunction(port_.Get(), dtr ? SETDTR : CLRDTR);
  // Under RTS/CTS handshaking the driver owns the RTS line.
  if (!rtsHandshake_) EscapeCommFunction(port_.Get(), rts ? SETRTS : CLRRTS);
}

}  // namespace travimo::windows
