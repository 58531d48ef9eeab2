#include "platform/posix/site.h"

#include <utility>

namespace travimo::posix {

namespace {

PortResolver ResolverFor(const std::string& device) {
  if (device.empty()) return DefaultDeviceFor;
  return [device](int16_t) { return device; };
}

}  // namespace

Site::Site(const std::string& device, const std::string& locale)
    : Site(ResolverFor(device), locale) {}

Site::Site(PortResolver resolver, const std::string& locale)
    : host_(locale), serial_(std::move(resolver)) {}

Site::~Site() = default;

ControlSite Site::Services() { return ControlSite{*this, host_, files_, traced_}; }

void Site::TraceTo(const std::string& path) {
  auto trace = std::make_unique<TraceFile>(path);
  traced_.Attach(trace.get());
  trace_ = std::move(trace);
}

void Site::PropertyChanged(std::string_view name) {
  if (onPropertyChanged) onPropertyChanged(name);
}

}  // namespace travimo::posix
