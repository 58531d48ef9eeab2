// The serial ports udev knows: every tty with a device behind it, described
// from its own properties and, for USB adapters, from the USB device above it.
#include <fcntl.h>
#include <libudev.h>
#include <linux/serial.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>

#include "cli/port_records.h"
#include "platform/posix/termios_serial.h"

namespace travimo::cli {

namespace {

struct UdevFree {
  void operator()(udev* u) const { udev_unref(u); }
  void operator()(udev_enumerate* e) const { udev_enumerate_unref(e); }
  void operator()(udev_device* d) const { udev_device_unref(d); }
};
template <typename T>
using UdevPtr = std::unique_ptr<T, UdevFree>;

std::string Text(const char* value) {
  return value ? value : "";
}

std::string Attribute(udev_device* device, const char* name) {
  return device ? Text(udev_device_get_sysattr_value(device, name)) : std::string();
}

// A serial-core port says its UART type in sysfs, readable without opening the
// port (an open raises DTR on the line); the ioctl is the fallback.
bool UartPresent(udev_device* tty, const std::string& devnode) {
  const std::string type = Attribute(tty, "type");
  if (!type.empty()) return std::atoi(type.c_str()) != PORT_UNKNOWN;
  const int fd = open(devnode.c_str(), O_RDWR | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return true;  // cannot tell: show it rather than hide a real port
  serial_struct info{};
  const bool known = ioctl(fd, TIOCGSERIAL, &info) != 0 || info.type != PORT_UNKNOWN;
  close(fd);
  return known;
}

// The driver of the hardware: the serial core's own "port" and "ctrl" devices
// stand between a UART's tty and its chip.
std::string DriverOf(udev_device* parent) {
  for (udev_device* device = parent; device; device = udev_device_get_parent(device)) {
    const std::string driver = Text(udev_device_get_driver(device));
    if (!driver.empty() && driver != "port" && driver != "ctrl") return driver;
  }
  return {};
}

PortRecord RecordOf(udev_device* tty, udev_device* parent) {
  PortRecord record;
  record.device = Text(udev_device_get_devnode(tty));
  udev_list_entry* entry = nullptr;
  udev_list_entry_foreach(entry, udev_device_get_devlinks_list_entry(tty)) {
    const std::string link = Text(udev_list_entry_get_name(entry));
    if (link.rfind("/dev/serial/by-id/", 0) == 0) record.byId = link;
  }
  udev_list_entry_foreach(entry, udev_device_get_properties_list_entry(tty)) {
    record.details[Text(udev_list_entry_get_name(entry))] = Text(udev_list_entry_get_value(entry));
  }
  record.driver = DriverOf(parent);
  if (udev_device* usb =
          udev_device_get_parent_with_subsystem_devtype(tty, "usb", "usb_device")) {
    record.vendorId = Attribute(usb, "idVendor");
    record.productId = Attribute(usb, "idProduct");
    record.manufacturer = Attribute(usb, "manufacturer");
    record.product = Attribute(usb, "product");
    record.serialNumber = Attribute(usb, "serial");
  }
  const std::string name = Text(udev_device_get_sysname(tty));
  if (name.rfind("ttyS", 0) == 0) record.uartPresent = UartPresent(tty, record.device);
  return record;
}

}  // namespace

std::vector<PortRecord> ListPorts() {
  std::vector<PortRecord> records;
  UdevPtr<udev> context(udev_new());
  if (!context) return records;
  UdevPtr<udev_enumerate> scan(udev_enumerate_new(context.get()));
  if (!scan || udev_enumerate_add_match_subsystem(scan.get(), "tty") < 0 ||
      udev_enumerate_scan_devices(scan.get()) < 0) {
    return records;
  }
  udev_list_entry* entry = nullptr;
  udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(scan.get())) {
    UdevPtr<udev_device> tty(
        udev_device_new_from_syspath(context.get(), udev_list_entry_get_name(entry)));
    // Consoles and pseudo-terminals have no device behind them.
    udev_device* parent = tty ? udev_device_get_parent(tty.get()) : nullptr;
    if (!parent || !udev_device_get_devnode(tty.get())) continue;
    records.push_back(RecordOf(tty.get(), parent));
  }
  AssignCommPorts(records, posix::DefaultDeviceFor);
  return records;
}

}  // namespace travimo::cli
