#include "acquisition/read_cycle.h"

#include <new>
#include <span>
#include <stdexcept>
#include <string>

#include "acquisition/deadline.h"
#include <travimo/model/enums.h>
#include <travimo/model/error.h>

namespace travimo {

namespace {

constexpr int32_t kRecordLength = 1039;      // one Lorvex scan record
constexpr int32_t kUnboundedRecord = 99999;  // texts that begin with "S"
constexpr int kMaxPollingPasses = 3;
constexpr double kFirstCharacterWait = 30.0;   // types other than 1
constexpr double kQuietInterval = 2.0;         // pushed by every receive event
constexpr const char* kCommSource = "MSComm";  // a lost line is the serial component's error

// The number an error that is not a RuntimeError is reported with.
int32_t NumberOfCurrentError() {
  try {
    throw;
  } catch (const RuntimeError& error) {
    return error.Number();
  } catch (const std::bad_alloc&) {
    return 7;  // out of memory
  } catch (const std::length_error&) {
    return 7;
  } catch (const std::out_of_range&) {
    return ErrorNumber::SubscriptOutOfRange;
  } catch (const std::overflow_error&) {
    return ErrorNumber::Overflow;
  } catch (const std::range_error&) {
    return ErrorNumber::Overflow;
  } catch (...) {
    return ErrorNumber::InvalidArgument;
  }
}

// Cleanup goes on whatever one of its steps throws.
template <typename Step>
void Quietly(Step step) noexcept {
  try {
    step();
  } catch (...) {
  }
}

}  // namespace

double ReadCycle::Now() {
  return host_.Host().MonotonicSeconds();
}

void ReadCycle::AcquireData() {
  if (running_) return;  // called from a host handler inside one of our yields
  running_ = true;
  timer1WasEnabled_ = false;
  try {
    RunStages();
  } catch (...) {
    ErrorPath(NumberOfCurrentError());
  }
  phase_ = ReadPhase::Idle;
  running_ = false;
}

// The quiet wait counts from the last byte, or from the start before the first.
PhaseProgress ReadCycle::Progress() const {
  if (phase_ == ReadPhase::Quiet) {
    return {m_Transfer.empty() ? ReadPhase::FirstByte : ReadPhase::Quiet, m_Deadline};
  }
  return {phase_, pauseEnds_};
}

void ReadCycle::RunStages() {
  cycleBase_ = Now();
  m_Transfer.clear();
  SetUp();
  QuietWait();
  Poll();
  Finish();
}

void ReadCycle::SetUp() {
  Timer& keepAlive = host_.KeepAliveTimer();
  timer1WasEnabled_ = keepAlive.Enabled();
  keepAlive.Enabled(false);
  host_.FrameEnabled(false);
  host_.ConfigurePort();

  MSComm& comm = host_.Comm();
  comm.RThreshold(1);
  comm.InputLen(0);
  if (!comm.PortOpen()) comm.PortOpen(true);

  const int32_t type = host_.InstrumentType();
  if (type == Lorvex) {
    const int32_t dataType = host_.DataType();
    if (dataType >= Moisture && dataType <= Burst) {
      comm.Output(std::string{'D', static_cast<char>(dataType)});
    }
    endOfTransfer_.Marker("##");
  } else if (type == Ostrel) {
    endOfTransfer_.Marker("E");
  } else if (type == Brevane) {
    endOfTransfer_.BrevaneClosingLine();
  } else {
    endOfTransfer_.Restart();  // other types keep the rule of the last cycle
  }

  host_.LetCancelTransfer(false);
  host_.ResetFlash();
  host_.FlashTimer().Enabled(true);
  if (type != Lorvex) {
    m_Deadline = Now() + kFirstCharacterWait;
    host_.ButtonCaption("Waiting!");
  }
  phase_ = ReadPhase::Starting;
  BKWait(1);
}

bool ReadCycle::PassedDeadline() {
  return Deadline(cycleBase_, m_Deadline).PassedAt(Now());
}

void ReadCycle::QuietWait() {
  HostServices& services = host_.Host();
  phase_ = ReadPhase::Quiet;
  while (!QuietWaitDone()) {
    // Data, a cancel or the end of the quiet interval ends the sleep.
    services.YieldUntil(Deadline(cycleBase_, m_Deadline).WakeTime());
    if (Waiting() > 0) AppendInput();
  }
  host_.Comm().RThreshold(0);
}

// A line that has ended delivers nothing more: waiting on would be pointless.
bool ReadCycle::QuietWaitDone() {
  return (Waiting() == 0 && PassedDeadline()) || EndMarkerFound() || host_.CancelRequested() ||
         host_.Comm().LineEnded();
}

bool ReadCycle::PollingDone(int32_t recordLength, int passes) {
  // Whole records plus the four characters that lead a transfer.
  const auto excess = static_cast<int64_t>(m_Transfer.size()) - 4;
  return EndMarkerFound() || passes == kMaxPollingPasses || host_.CancelRequested() ||
         excess % recordLength == 0 || host_.Comm().LineEnded();
}

// The cancel flag is tested after every pause, not only after a pass: an
// instrument that keeps sending would otherwise hold the read for as long as
// it sends.
void ReadCycle::Poll() {
  const int32_t recordLength =
      !m_Transfer.empty() && m_Transfer.front() == 'S' ? kUnboundedRecord : kRecordLength;
  host_.ButtonCaption("Reading");
  phase_ = ReadPhase::Polling;
  int passes = 0;
  do {
    int32_t pause = 2;
    for (;;) {
      Wait(pause, true);
      if (host_.CancelRequested() || Waiting() == 0) break;
      AppendInput();
      pause = 1;
    }
    ++passes;
  } while (!PollingDone(recordLength, passes));
}

void ReadCycle::Finish() {
  if (host_.CancelRequested()) {
    throw RuntimeError(UserCancel, std::string(kControlSource), "User Cancel");
  }
  host_.FlashTimer().Enabled(false);
  host_.Files().CloseAll();
  MSComm& comm = host_.Comm();
  // Once the end marker is in, a hang-up only ended the waiting early.
  const bool cutShort = comm.LineEnded() && !EndMarkerFound();
  const std::string lineProblem = comm.LineProblem();
  comm.PortOpen(false);
  if (cutShort) FailCutShort(lineProblem);
  if (host_.RawDataWanted()) SaveRawBytes();

  const TransferKind kind = ClassifyTransfer(m_Transfer);
  if (kind == TransferKind::Lorvex) {
    host_.ParseReceived(m_Transfer, kind);  // may shorten the text as it works
  } else {
    std::string copy = m_Transfer;
    host_.ParseReceived(copy, kind);
  }

  host_.FrameEnabled(true);
  host_.KeepAliveTimer().Enabled(timer1WasEnabled_);
  m_Transfer.clear();
  host_.ButtonBackColor(kButtonFace);
}

// The read has failed, but what arrived is the user's data and is still saved
// when asked (nothing received replaces no earlier file). A save that fails
// too is named in the same report.
void ReadCycle::FailCutShort(const std::string& lineProblem) {
  std::string unsaved;
  if (host_.RawDataWanted() && !m_Transfer.empty()) {
    try {
      SaveRawBytes();
    } catch (const RuntimeError& error) {
      unsaved = "; the " + std::to_string(m_Transfer.size()) +
                " bytes received were not saved: " + error.Description();
    }
  }
  throw RuntimeError(CommError::ReadFailed, kCommSource, lineProblem + unsaved);
}

void ReadCycle::SaveRawBytes() {
  const std::string name = host_.RawDataFileName();
  const std::span<const uint8_t> bytes(reinterpret_cast<const uint8_t*>(m_Transfer.data()),
                                       m_Transfer.size());
  // Written beside the old file and renamed over it: a failed write keeps the old one.
  host_.Files().ReplaceContent(name, bytes);
}

void ReadCycle::ErrorPath(int32_t number) {
  Quietly([&] { host_.ButtonBackColor(kButtonFace); });
  Quietly([&] { host_.Comm().RThreshold(0); });
  Quietly([&] { host_.LetCancelTransfer(false); });
  Quietly([&] { host_.Files().CloseAll(); });
  m_Transfer.clear();
  Quietly([&] {
    if (host_.Comm().PortOpen()) host_.Comm().PortOpen(false);
  });
  Quietly([&] { host_.RaiseTravimoError(number); });
  Quietly([&] { host_.FrameEnabled(true); });
  Quietly([&] { host_.KeepAliveTimer().Enabled(timer1WasEnabled_); });
  Quietly([&] { host_.FlashTimer().Enabled(false); });
}

void ReadCycle::BKWait(int32_t howManySecs) {
  Wait(howManySecs, false);
}

void ReadCycle::Wait(int32_t seconds, bool untilLineEnds) {
  HostServices& services = host_.Host();
  const double start = services.MonotonicSeconds();
  const Deadline end(start, start + seconds);
  pauseEnds_ = start + seconds;
  while (!end.PassedAt(services.MonotonicSeconds())) {
    if (untilLineEnds && host_.Comm().LineEnded()) return;
    services.YieldUntil(end.WakeTime());
  }
}

// What waits in the port's buffer. A line that has ended counts as quiet
// here; whether the transfer is whole is decided when the waiting is over.
int16_t ReadCycle::Waiting() {
  MSComm& comm = host_.Comm();
  try {
    return comm.InBufferCount();
  } catch (const RuntimeError&) {
    if (!comm.LineEnded()) throw;
    return 0;
  }
}

void ReadCycle::AppendInput() {
  m_Transfer += host_.Comm().Input();
}

void ReadCycle::OnComm() {
  MSComm& comm = host_.Comm();
  if (comm.CommEvent() != CommEventCode::Receive) return;
  m_Deadline = Now() + kQuietInterval;
  if (m_Transfer.empty()) host_.ButtonCaption("Reading!");
  AppendInput();
}

}  // namespace travimo
