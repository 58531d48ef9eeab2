#pragma once
// A ReadCycleHost without a control: the real MSComm over a scripted line on
// a virtual clock, plain members for the button, frame and flags, and a record
// of every caption, parse and reported error.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "acquisition/port_configuration.h"
#include "acquisition/read_cycle.h"
#include "support/memory_file_system.h"
#include "support/scripted_serial.h"
#include "support/virtual_host.h"

namespace travimo::testing {

class CycleHost : public ReadCycleHost {
 public:
  struct Parse {
    TransferKind kind;
    std::string text;
  };

  explicit CycleHost(double startOfDay = 10 * 3600.0)
      : clock(startOfDay),
        serial(clock),
        comm(clock, serial),
        keepAlive(clock.CreateTimer([this] { ++keepAliveTicks; })),
        flash(clock.CreateTimer([] {})),
        cycle(*this) {
    keepAlive->Interval(30000);
    flash->Interval(200);
    comm.OnComm([this] { cycle.OnComm(); });
  }

  // Runs one cycle and returns how long it took on the virtual clock.
  double Read() {
    const double start = clock.MonotonicSeconds();
    cycle.AcquireData();
    return clock.MonotonicSeconds() - start;
  }

  MSComm& Comm() override { return comm; }
  HostServices& Host() override { return clock; }
  FileSystem& Files() override { return *files; }
  Timer& KeepAliveTimer() override { return *keepAlive; }
  Timer& FlashTimer() override { return *flash; }
  void FrameEnabled(bool enabled) override { frameEnabled = enabled; }
  void ButtonCaption(const std::string& caption) override { captions.push_back(caption); }
  void ButtonBackColor(Colour colour) override { backColour = colour; }
  void ResetFlash() override {}
  int32_t InstrumentType() override { return type; }
  int32_t DataType() override { return dataType; }
  void ConfigurePort() override { travimo::ConfigurePort(comm, type); }
  void LetCancelTransfer(bool value) override { cancel = value; }
  bool CancelRequested() override { return cancel; }
  bool RawDataWanted() override { return saveRawData; }
  std::string RawDataFileName() override { return "RawData.dat"; }
  void ParseReceived(std::string& transfer, TransferKind kind) override {
    parses.push_back({kind, transfer});
    if (parser) parser(transfer, kind);
  }
  void RaiseTravimoError(int32_t number) override {
    errors.push_back(number);
    if (onError) onError(number);
  }

  VirtualHost clock;
  ScriptedSerial serial;
  MSComm comm;
  std::unique_ptr<Timer> keepAlive;
  std::unique_ptr<Timer> flash;
  MemoryFileSystem memoryFiles;
  FileSystem* files = &memoryFiles;
  ReadCycle cycle;

  int32_t type = 1;
  int32_t dataType = 0;
  bool cancel = false;
  bool saveRawData = false;
  std::function<void(std::string&, TransferKind)> parser;
  std::function<void(int32_t)> onError;

  std::vector<std::string> captions;
  std::vector<Parse> parses;
  std::vector<int32_t> errors;
  bool frameEnabled = true;
  Colour backColour = 0;
  int keepAliveTicks = 0;
};

}  // namespace travimo::testing
