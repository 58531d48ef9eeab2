#pragma once
// A ready site for a control on a POSIX host: the host services, the file
// system, the serial backend (with an optional trace) and a container whose
// events are callbacks. The site must outlive the control built on it:
//
//   travimo::posix::Site site("/dev/ttyUSB0");
//   site.events.onError = [](int32_t n) { std::cerr << "error " << n << '\n'; };
//   travimo::Travimo control(site.Services());
//   control.InitProperties();
//   control.ReadTravimo();
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include <travimo/control/travimo.h>
#include <travimo/platform/event_callbacks.h>
#include <travimo/platform/posix/posix_file_system.h>
#include <travimo/platform/posix/posix_host.h>
#include <travimo/platform/serial_backend.h>

namespace travimo::posix {

class Site : private Container {
 public:
  // device: "" lets port N open /dev/ttyS{N-1}; anything else (a path,
  // socket://HOST:PORT, rfc2217://HOST:PORT) is opened for every port.
  // locale picks the regional settings ("" for the environment's).
  explicit Site(const std::string& device = "", const std::string& locale = "");
  Site(PortResolver resolver, const std::string& locale);
  ~Site() override;
  Site(const Site&) = delete;
  Site& operator=(const Site&) = delete;

  // What the control's constructor takes; valid while the site lives.
  ControlSite Services();

  // Appends a trace of the serial traffic to path ("-" for stderr) from the
  // next open on; call it between reads. Fails with 75 naming a file that
  // cannot be opened.
  void TraceTo(const std::string& path);

  PosixHost& Host() { return host_; }
  PosixFileSystem& Files() { return files_; }
  SerialBackend& Serial();

  EventCallbacks events;
  // Told of each property the control changed; may stay empty.
  std::function<void(std::string_view name)> onPropertyChanged;

 private:
  bool UserMode() const override { return true; }
  FontPtr AmbientFont() const override { return font_; }
  void PropertyChanged(std::string_view name) override;
  TravimoEvents& Events() override { return events; }

  // The serial backend and its trace, which a host never needs to see.
  struct Line;

  PosixHost host_;
  PosixFileSystem files_;
  std::unique_ptr<Line> line_;
  FontPtr font_ = std::make_shared<StdFont>();
};

}  // namespace travimo::posix
