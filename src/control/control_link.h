#pragma once
// The control as its read cycle and its parsers see it. Kept out of the
// control's header so that a host never sees the acquisition or format layers.
#include <cstdint>
#include <string>

#include "acquisition/read_cycle.h"
#include "formats/parse_context.h"
#include <travimo/control/travimo.h>

namespace travimo {

class ControlLink final : public ParseContext, public ReadCycleHost {
 public:
  explicit ControlLink(Travimo& control) : c_(control), cycle_(*this) {}
  ControlLink(const ControlLink&) = delete;
  ControlLink& operator=(const ControlLink&) = delete;

  // The link of a control, for code in this library and its tests.
  static ControlLink& Of(Travimo& control) { return *control.link_; }

  ReadCycle& Cycle() { return cycle_; }
  const ReadCycle& Cycle() const { return cycle_; }

  // ParseContext
  ScanState& MutableState() override { return c_.state_; }
  void LetTravimoType(int32_t value) override { c_.TravimoType(value); }
  void LetScanNumber(int32_t value) override { c_.ScanNumber(value); }
  RegionalSettings Regional() override { return c_.site_.host.Regional(); }

  // ReadCycleHost
  MSComm& Comm() override { return c_.msComm1_; }
  HostServices& Host() override { return c_.site_.host; }
  FileSystem& Files() override { return c_.site_.files; }
  Timer& KeepAliveTimer() override { return *c_.timer1_; }
  Timer& FlashTimer() override { return *c_.timer2_; }
  void FrameEnabled(bool enabled) override { c_.fraButton_.Enabled(enabled); }
  void ButtonCaption(const std::string& caption) override { c_.cmdReadData_.Caption(caption); }
  void ButtonBackColor(Colour colour) override { c_.cmdReadData_.BackColor(colour); }
  void ResetFlash() override { c_.ResetFlash(); }
  int32_t InstrumentType() override { return c_.TravimoType(); }
  int32_t DataType() override { return c_.ScanDataType(); }
  void ConfigurePort() override { c_.ConfigurePort(); }
  void LetCancelTransfer(bool value) override { c_.CancelTransfer(value); }
  bool CancelRequested() override { return c_.m_CancelTransfer; }
  bool RawDataWanted() override { return c_.m_SaveRawData; }
  std::string RawDataFileName() override { return c_.OutPutFileName(); }
  void ParseReceived(std::string& transfer, TransferKind kind) override {
    c_.ParseReceived(transfer, kind);
  }
  void RaiseTravimoError(int32_t number) override { c_.RaiseTravimoError(number); }

 private:
  Travimo& c_;
  ReadCycle cycle_;
};

}  // namespace travimo
