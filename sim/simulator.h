#pragma once
// An instrument at the far end of a pseudo-terminal. As a Lorvex it answers
// "D" plus a data-type byte with scan records and counts the keep-alive "W";
// as an Ostrel or a Brevane it sends its transfer unprompted, a while after a
// program opens the port. The script shapes the answer: a delay before the
// first byte, bursts with pauses, silence, leading garbage, a missing end
// marker, or a hang-up part-way through.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <travimo/platform/serial_trace.h>
#include "sim/brevane_encoder.h"
#include "sim/lorvex_encoder.h"
#include "sim/ostrel_encoder.h"
#include "sim/pty_device.h"

namespace travimo::sim {

enum class Mode { Lorvex, Ostrel, Brevane };

struct Script {
  Mode mode = Mode::Lorvex;
  int scans = 3;                      // scans (Lorvex) or measurements
  size_t points = 512;                // values per scan or measurement
  double firstByteDelay = 0.1;        // seconds after the request, or after the port is opened
  size_t burstSize = 0;               // bytes per write; 0: the whole answer at once
  double burstPause = 0.0;            // seconds between bursts
  bool silent = false;                // requests are counted but never answered
  std::string garbage{};              // sent ahead of the transfer
  bool endMarker = true;              // "##", "E" or the closing "E" line
  std::optional<size_t> hangUpAfter{};  // bytes of the answer sent before the line drops
};

// What a transfer is made from; the default providers use the sample records below.
struct TransferRequest {
  Mode mode = Mode::Lorvex;
  int dataType = 0;  // the byte after "D"; 0 for the unprompted modes
  int scans = 0;
  size_t points = 0;
  bool endMarker = true;
};
using TransferProvider = std::function<std::string(const TransferRequest&)>;

std::string DefaultTransfer(const TransferRequest& request);

// Deterministic sample records, so that a test can predict what is read.
std::vector<LorvexScan> SampleLorvexScans(int count, int dataType, size_t points);
uint16_t SampleLorvexValue(int scan, int dataType, size_t index);
std::vector<OstrelMeasurement> SampleOstrelMeasurements(int count, size_t points);
std::vector<BrevaneMeasurement> SampleBrevaneMeasurements(int count, size_t points);

// The device side's terminal settings, as the program at the other end set them.
struct DeviceLine {
  uint32_t speed = 0;  // the termios speed code (B9600 and so on)
  bool twoStopBits = false;
  bool hardwareFlow = false;
};

struct SimulatorStats {
  int connections = 0;  // opens of the port seen
  int requests = 0;     // "D" requests
  int keepAlives = 0;   // "W" characters
  int lastDataType = -1;
  size_t otherBytes = 0;  // anything else received
  size_t bytesSent = 0;
  int transfersStarted = 0;
  bool hungUp = false;
  std::chrono::steady_clock::time_point lastSentAt{};  // when the latest byte went out
  std::optional<DeviceLine> lineAtTransfer;             // as the latest transfer began
};

class Simulator {
 public:
  explicit Simulator(Script script = {});
  ~Simulator();  // stops the thread
  Simulator(const Simulator&) = delete;
  Simulator& operator=(const Simulator&) = delete;

  const std::string& SlavePath() const { return pty_.SlavePath(); }
  void Provider(TransferProvider provider);
  void SetScript(const Script& script);
  SimulatorStats Stats() const;
  // The simulator's side of the traffic goes to sink; set before Start().
  void Trace(TraceSink* sink) { trace_ = sink; }

  // Runs on a thread of its own until Stop() or a hang-up.
  void Start();
  void Stop();
  // Or, without a thread: one step, waiting at most maxWait for something to do.
  // Returns false once the line has been hung up.
  bool Pump(std::chrono::milliseconds maxWait);

 private:
  using Clock = std::chrono::steady_clock;
  struct Segment {
    std::string bytes;
    Clock::time_point notBefore;
    bool hangUp = false;
  };

  void ReadRequests();
  void HandleByte(uint8_t byte);
  void StartTransfer(int dataType);
  void WritePending();
  void CheckConnection(short revents);
  void Note(const std::string& event);
  int WaitMilliseconds() const;

  PtyDevice pty_;
  TraceSink* trace_ = nullptr;
  int wakeRead_ = -1;
  int wakeWrite_ = -1;
  std::thread thread_;
  bool stopping_ = false;  // guarded by mutex_

  mutable std::mutex mutex_;
  Script script_;
  TransferProvider provider_ = DefaultTransfer;
  SimulatorStats stats_;

  // Owned by the pumping thread.
  bool connected_ = false;
  bool awaitingDataType_ = false;
  std::deque<Segment> pending_;
  std::optional<Clock::time_point> unpromptedAt_;
};

}  // namespace travimo::sim
