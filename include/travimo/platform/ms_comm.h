#pragma once
// MSComm: the serial component the control drives, with the properties and
// the OnComm event it relies on. Receive events are raised only from the
// host's yield (Service), never from another thread or inside a property call.
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>

#include <travimo/platform/host_services.h>
#include <travimo/platform/serial_backend.h>

namespace travimo {

namespace CommEventCode {
inline constexpr int16_t Send = 1;
inline constexpr int16_t Receive = 2;
inline constexpr int16_t EndOfFile = 7;
}  // namespace CommEventCode

// Error numbers of the serial component.
namespace CommError {
inline constexpr int32_t PortInvalid = 8002;      // cannot open: missing or busy
inline constexpr int32_t PortAlreadyOpen = 8005;  // property refused while open
inline constexpr int32_t PortNotOpen = 8018;      // operation needs an open port
inline constexpr int32_t ReadFailed = 8020;       // the line hung up or vanished
inline constexpr int32_t WriteFailed = 8021;
}  // namespace CommError

class MSComm : private IoSource {
 public:
  MSComm(HostServices& host, SerialBackend& backend);
  ~MSComm() override;
  MSComm(const MSComm&) = delete;
  MSComm& operator=(const MSComm&) = delete;

  int16_t CommPort() const { return commPort_; }
  void CommPort(int16_t value);  // refused (8005) while open
  const std::string& Settings() const { return settings_; }
  void Settings(const std::string& value);  // 380 for a malformed text, unchanged
  int32_t Handshaking() const { return handshaking_; }
  void Handshaking(int32_t value);  // 0..3, else 380
  bool DTREnable() const { return dtrEnable_; }
  void DTREnable(bool value);
  bool RTSEnable() const { return rtsEnable_; }
  void RTSEnable(bool value);
  bool EOFEnable() const { return eofEnable_; }
  void EOFEnable(bool value) { eofEnable_ = value; }
  bool NullDiscard() const { return nullDiscard_; }
  void NullDiscard(bool value) { nullDiscard_ = value; }
  int16_t InBufferSize() const { return inBufferSize_; }
  void InBufferSize(int16_t value);  // refused (8005) while open; must be positive
  int16_t OutBufferSize() const { return outBufferSize_; }
  void OutBufferSize(int16_t value);
  int16_t InputLen() const { return inputLen_; }
  void InputLen(int16_t value);
  int32_t InputMode() const { return inputMode_; }
  void InputMode(int32_t value);
  const std::string& ParityReplace() const { return parityReplace_; }
  void ParityReplace(const std::string& value) { parityReplace_ = value; }
  int16_t RThreshold() const { return rThreshold_; }
  void RThreshold(int16_t value) { rThreshold_ = value; }
  int16_t SThreshold() const { return sThreshold_; }
  void SThreshold(int16_t value) { sThreshold_ = value; }

  bool PortOpen() const { return connection_ != nullptr; }
  void PortOpen(bool open);
  // Sends the text, one byte per character.
  void Output(const std::string& text);
  // The waiting characters (at most InputLen when it is above 0), removed from the buffer.
  std::string Input();
  int16_t InBufferCount();
  void InBufferCount(int16_t value);  // 0 empties the receive buffer
  int16_t CommEvent() const { return commEvent_; }

  // The OnComm event; the handler runs on the host thread inside a yield.
  void OnComm(std::function<void()> handler) { onComm_ = std::move(handler); }

  // The device the current CommPort stands for.
  std::string DeviceName() const;

  // True once the line has dropped and every byte it delivered has been taken:
  // nothing more can arrive, and Input and InBufferCount fail with 8020.
  bool LineEnded() const { return lineLost_ && received_.empty(); }
  // Why the line dropped, while the port is still open.
  const std::string& LineProblem() const { return lineProblem_; }

 private:
  int PollDescriptor() const override;
  void Service() override;
  void Drain();
  void RaiseIfLineLost();
  void RaiseIfClosed() const;
  void LoseLine(std::string problem);
  void Raise(int16_t event);

  SerialBackend& backend_;
  SourceRegistration registration_;
  std::unique_ptr<SerialConnection> connection_;
  std::deque<uint8_t> received_;
  bool lineLost_ = false;
  std::string lineProblem_;
  bool unreported_ = false;  // bytes arrived since the last receive event
  bool eofArrived_ = false;  // an EOF character arrived, event pending
  std::function<void()> onComm_;

  int16_t commPort_ = 1;
  std::string settings_ = "9600,n,8,1";
  int32_t handshaking_ = 0;
  bool dtrEnable_ = false;
  bool rtsEnable_ = false;
  bool eofEnable_ = false;
  bool nullDiscard_ = false;
  int16_t inBufferSize_ = 1024;
  int16_t outBufferSize_ = 512;
  int16_t inputLen_ = 0;
  int32_t inputMode_ = 0;
  std::string parityReplace_ = "?";
  int16_t rThreshold_ = 0;
  int16_t sThreshold_ = 0;
  int16_t commEvent_ = 0;
};

}  // namespace travimo
