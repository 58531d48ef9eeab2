#include "cli/session.h"

namespace travimo::cli {

namespace {

std::unique_ptr<NativeTraceFile> OpenTrace(const std::string& path) {
  if (path.empty()) return nullptr;
  return std::make_unique<NativeTraceFile>(path);
}

}  // namespace

ControlSession::ControlSession(PortResolver resolver, const std::string& tracePath)
    : serial_(std::move(resolver)), trace_(OpenTrace(tracePath)), traced_(serial_, trace_.get()) {
  control_ = std::make_unique<Travimo>(ControlSite{container_, host_, files_, recording_});
}

void ControlSession::ReportTrace(std::ostream& err) const {
  if (trace_ && !trace_->Problem().empty()) {
    err << "travimo: the trace \"" << trace_->Path() << "\" is incomplete: " << trace_->Problem()
        << '\n';
  }
}

PortResolver FixedDevice(std::string path) {
  return [path = std::move(path)](int16_t) { return path; };
}

}  // namespace travimo::cli
