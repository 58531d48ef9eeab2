#pragma once
// One open Win32 serial port. All I/O is overlapped, so the host can wait on
// the receive event together with its other sources and nothing blocks.
#include <string>
#include <vector>

#include <travimo/platform/serial_backend.h>
#include "platform/windows/unique_handle.h"
#include "platform/windows/win32.h"

namespace travimo::windows {

class Win32Connection : public SerialConnection {
 public:
  // port: opened for overlapped I/O and already configured.
  Win32Connection(UniqueHandle port, std::string device, bool rtsHandshake);
  ~Win32Connection() override;
  Win32Connection(const Win32Connection&) = delete;
  Win32Connection& operator=(const Win32Connection&) = delete;

  int PollDescriptor() const override;
  ReadOutcome Read(std::span<uint8_t> into) override;
  void Write(std::span<const uint8_t> bytes) override;
  // Refused modem-line calls (a port without the lines) are not fatal.
  void SetModemLines(bool dtr, bool rts) override;
  std::string DeviceName() const override { return device_; }

  // False once the driver refused receive notification and reads wait instead.
  bool Notifies() const { return notifies_; }

 private:
  bool Collect(ReadOutcome& outcome);
  bool ArmNotification(ReadOutcome& outcome);
  bool StartWaitingRead(ReadOutcome& outcome);
  size_t ReadWaiting(std::span<uint8_t> into, ReadOutcome& outcome);
  void FallBackToWaitingReads();
  void CancelPending();
  bool Lost(ReadOutcome& outcome, unsigned long error);

  UniqueHandle port_;
  std::string device_;
  bool rtsHandshake_;
  UniqueHandle ready_;  // set when received data may be waiting
  UniqueHandle io_;     // for the short reads and the writes
  OVERLAPPED watch_{};  // the pending WaitCommEvent or waiting read
  bool watching_ = false;
  bool notifies_ = true;
  DWORD events_ = 0;
  std::vector<uint8_t> chunk_;  // what a waiting read received, not yet handed out
  size_t chunkStart_ = 0;
  size_t chunkEnd_ = 0;
};

}  // namespace travimo::windows
