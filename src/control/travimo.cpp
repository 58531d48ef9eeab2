#include <travimo/control/travimo.h>

#include <exception>
#include <new>
#include <utility>

#include "control/control_link.h"
#include "formats/dispatch.h"
#include <travimo/model/error.h>

namespace travimo {
namespace {

constexpr int32_t kKeepAliveInterval = 30000;
constexpr int32_t kFlashInterval = 200;
// Failures that carry no number of their own are reported as a read would report them.
constexpr int32_t kOutOfMemory = 7;

}  // namespace

Travimo::Travimo(ControlSite site)
    : site_(site),
      msComm1_(site.host, site.serial),
      timer1_(site.host.CreateTimer([this] { KeepAliveTick(); })),
      timer2_(site.host.CreateTimer([this] { FlashTick(); })),
      link_(std::make_unique<ControlLink>(*this)) {
  timer1_->Interval(kKeepAliveInterval);
  timer1_->Enabled(false);
  timer2_->Interval(kFlashInterval);
  timer2_->Enabled(false);
  cmdReadData_.Caption("Travimo");
  cmdReadData_.Font(site_.container.AmbientFont());
  cmdReadData_.OnClick([this] { ClickHandling(); });
  // A receive event arrives inside the host's yield; nothing may leak back into it.
  msComm1_.OnComm([this] {
    try {
      link_->Cycle().OnComm();
    } catch (...) {
    }
  });
}

Travimo::~Travimo() {
  timer2_->Enabled(false);
  msComm1_.OnComm(nullptr);
  cmdReadData_.OnClick(nullptr);
  state_.lorvexData.reset();
  state_.lorvexCol.reset();
  state_.ostrelData.reset();
  state_.ostrelCol.reset();
  state_.brevaneData.reset();
  state_.brevaneCol.reset();
}

bool Travimo::Reading() const { return link_->Cycle().Running(); }
const std::string& Travimo::ReceivedSoFar() const { return link_->Cycle().Transfer(); }
PhaseProgress Travimo::ReadProgress() const { return link_->Cycle().Progress(); }

void Travimo::RaiseEvent(const std::function<void(TravimoEvents&)>& raise) {
  try {
    raise(Events());
  } catch (...) {
    // The handler is the host's code; its failure must not break a read or a tick.
  }
}

// The description of the failure being handled, when the report comes from a catch.
static std::string DescriptionOfCurrentError() {
  const std::exception_ptr current = std::current_exception();
  if (!current) return {};
  try {
    std::rethrow_exception(current);
  } catch (const RuntimeError& error) {
    return error.Description();
  } catch (const std::exception& error) {
    return error.what();
  } catch (...) {
    return {};
  }
}

void Travimo::RaiseTravimoError(int32_t number) {
  lastErrorDescription_ = DescriptionOfCurrentError();
  RaiseEvent([number](TravimoEvents& events) {
    int32_t ReadError = number;
    events.TravimoError(ReadError);
  });
}

void Travimo::ParseReceived(std::string& transfer, TransferKind kind) {
  ParseTransfer(transfer, kind, *link_);
}

void Travimo::DecodeTransfer(std::string text) {
  const TransferKind kind = ClassifyTransfer(text);
  DecodeTransfer(std::move(text), kind);
}

void Travimo::DecodeTransfer(std::string text, TransferKind kind) {
  try {
    ParseReceived(text, kind);
  } catch (const RuntimeError& error) {
    RaiseTravimoError(error.Number());
  } catch (const std::bad_alloc&) {
    RaiseTravimoError(kOutOfMemory);
  } catch (...) {
    RaiseTravimoError(ErrorNumber::InvalidArgument);
  }
}

}  // namespace travimo
