#pragma once
// The read cycle: configure and open the port, ask a Lorvex for its data, wait
// and collect, close, save the raw bytes, hand the text to its parser. Every
// error ends on one error path that cleans up and reports its number.
#include <cstddef>
#include <cstdint>
#include <string>

#include "acquisition/end_of_transfer.h"
#include "formats/dispatch.h"
#include <travimo/control/read_progress.h>
#include <travimo/model/colour.h>
#include <travimo/platform/file_system.h>
#include <travimo/platform/host_services.h>
#include <travimo/platform/ms_comm.h>

namespace travimo {

// What the cycle needs of the control around it.
class ReadCycleHost {
 public:
  virtual ~ReadCycleHost() = default;
  virtual MSComm& Comm() = 0;
  virtual HostServices& Host() = 0;
  virtual FileSystem& Files() = 0;
  virtual Timer& KeepAliveTimer() = 0;  // Timer1
  virtual Timer& FlashTimer() = 0;      // Timer2
  virtual void FrameEnabled(bool enabled) = 0;
  virtual void ButtonCaption(const std::string& caption) = 0;
  virtual void ButtonBackColor(Colour colour) = 0;
  virtual void ResetFlash() = 0;         // m_FlashChar empty, m_FlashPos 0
  virtual int32_t InstrumentType() = 0;  // the TravimoType property
  virtual int32_t DataType() = 0;        // the ScanDataType property
  virtual void ConfigurePort() = 0;
  virtual void LetCancelTransfer(bool value) = 0;  // through the property
  virtual bool CancelRequested() = 0;              // m_CancelTransfer
  virtual bool RawDataWanted() = 0;                // SaveRawData
  virtual std::string RawDataFileName() = 0;       // the OutPutFileName property's Get
  // Runs the parser for kind; its errors go to the cycle's error path.
  virtual void ParseReceived(std::string& transfer, TransferKind kind) = 0;
  virtual void RaiseTravimoError(int32_t number) = 0;
};

class ReadCycle {
 public:
  explicit ReadCycle(ReadCycleHost& host) : host_(host) {}

  // One whole cycle. Never throws; a second call while one runs returns at once.
  void AcquireData();
  // Waits howManySecs seconds while yielding; a negative value returns at once.
  void BKWait(int32_t howManySecs);
  // The serial component's OnComm handler.
  void OnComm();

  bool Running() const { return running_; }
  const std::string& Transfer() const { return m_Transfer; }
  PhaseProgress Progress() const;

 private:
  void RunStages();
  void SetUp();
  void QuietWait();
  void Poll();
  void Finish();
  void ErrorPath(int32_t number);
  bool EndMarkerFound() { return endOfTransfer_.Found(m_Transfer); }
  bool PassedDeadline();
  bool QuietWaitDone();
  bool PollingDone(int32_t recordLength, int passes);
  // A pause; with untilLineEnds it ends early once the line has ended.
  void Wait(int32_t seconds, bool untilLineEnds);
  int16_t Waiting();
  void AppendInput();
  [[noreturn]] void FailCutShort(const std::string& lineProblem);
  void SaveRawBytes();
  double Now();

  ReadCycleHost& host_;
  std::string m_Transfer;
  double m_Deadline = 0.0;  // on the host's monotonic clock
  EndOfTransfer endOfTransfer_;
  bool running_ = false;
  bool timer1WasEnabled_ = false;
  double cycleBase_ = 0.0;  // monotonic time the cycle's comparisons are taken from
  ReadPhase phase_ = ReadPhase::Idle;
  double pauseEnds_ = 0.0;
};

}  // namespace travimo
