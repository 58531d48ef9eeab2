#include <travimo/platform/posix/site.h>

#include <utility>

#include "platform/posix/device_backend.h"
#include "platform/posix/trace_file.h"
#include <travimo/platform/serial_trace.h>

namespace travimo::posix {

struct Site::Line {
  explicit Line(PortResolver resolver) : serial(std::move(resolver)) {}

  DeviceBackend serial;
  std::unique_ptr<TraceFile> trace;
  TracingBackend traced{serial};
};

namespace {

PortResolver ResolverFor(const std::string& device) {
  if (device.empty()) return DefaultDeviceFor;
  return [device](int16_t) { return device; };
}

}  // namespace

Site::Site(const std::string& device, const std::string& locale)
    : Site(ResolverFor(device), locale) {}

Site::Site(PortResolver resolver, const std::string& locale)
    : host_(locale), line_(std::make_unique<Line>(std::move(resolver))) {}

Site::~Site() = default;

ControlSite Site::Services() { return ControlSite{*this, host_, files_, line_->traced}; }

SerialBackend& Site::Serial() { return line_->traced; }

void Site::TraceTo(const std::string& path) {
  auto trace = std::make_unique<TraceFile>(path);
  line_->traced.Attach(trace.get());
  line_->trace = std::move(trace);
}

void Site::PropertyChanged(std::string_view name) {
  if (onPropertyChanged) onPropertyChanged(name);
}

}  // namespace travimo::posix
