// The port list on hand-made records: no adapter need be plugged in. The real
// lister runs in `travimo ports` (cli_usage_test).
#include "cli/port_records.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include <travimo/model/error.h>
#include "support/scratch_dir.h"

namespace travimo::cli {
namespace {

PortRecord Usb(std::string device, std::string vid, std::string pid, std::string serial) {
  const std::string byId = "/dev/serial/by-id/usb-Maker_Adapter_" + serial + "-if00-port0";
  return {device, byId, "ftdi_sio", vid, pid, "Maker", "Adapter", serial, true, {}, {}};
}

PortRecord Uart(std::string device, bool present) {
  return {std::move(device), "", "serial8250", "", "", "", "", "", present, {}, {}};
}

std::vector<PortRecord> Machine() {
  return {Usb("/dev/ttyUSB1", "0403", "6001", "A10"),
          Uart("/dev/ttyS10", true),
          Uart("/dev/ttyS3", false),
          Usb("/dev/ttyUSB0", "0403", "6001", "B20"),
          Uart("/dev/ttyS2", true),
          Usb("/dev/ttyACM0", "2341", "0043", "")};
}

TEST(PortRecords, AliasesResolveToOnePortOrFailNamingThemselves) {
  const struct {
    std::string text;
    std::string device;  // empty: fails
    std::string why;     // part of the failure's description
  } cases[] = {
      {"usb:0403:6001:B20", "/dev/ttyUSB0", ""},
      {"USB:0403:6001:A10", "/dev/ttyUSB1", ""},  // the scheme and hex digits in any case
      {"usb:2341:0043", "/dev/ttyACM0", ""},
      {"serial-number:A10", "/dev/ttyUSB1", ""},
      {"serial-number:a10", "", "no serial adapter present matches"},  // serials are exact
      {"usb:0403:6001", "", "matches 2 adapters (/dev/ttyUSB0, /dev/ttyUSB1)"},
      {"usb:0403:6002", "", "travimo ports lists"},
      {"usb:403:6001", "", "four hex digits"},
      {"usb:0403", "", "four hex digits"},
      {"usb:0403:6001:", "", "serial number"},
      {"serial-number:", "", "serial number is missing"},
  };
  const auto present = PresentPorts(Machine());
  for (const auto& c : cases) {
    const auto alias = ParsePortAlias(c.text);
    ASSERT_TRUE(alias) << c.text;
    try {
      EXPECT_EQ(ResolvePortAlias(c.text, *alias, present), c.device) << c.text;
    } catch (const RuntimeError& error) {
      EXPECT_TRUE(c.device.empty()) << c.text << ": " << error.Description();
      EXPECT_EQ(error.Number(), 8002);
      EXPECT_EQ(error.Description().rfind("Cannot open " + c.text + ": ", 0), 0u);
      EXPECT_THAT(error.Description(), ::testing::HasSubstr(c.why));
    }
  }
  for (const char* path : {"/dev/ttyUSB0", "socket://host:1", "usbdevice", ""}) {
    EXPECT_FALSE(ParsePortAlias(path)) << path;
  }
}

TEST(PortRecords, CommPortsReachTheDeviceOrItsLink) {
  namespace fs = std::filesystem;
  const testing::ScratchDir scratch;
  const fs::path& dir = scratch.Path();
  fs::create_directories(dir / "by-id");
  std::ofstream(dir / "ttyUSB0").put('\n');
  fs::create_symlink(dir / "ttyUSB0", dir / "by-id" / "usb-link");
  std::vector<PortRecord> records = {Uart((dir / "ttyS1").string(), true),
                                     Uart((dir / "ttyUSB0").string(), true), Uart("/x", true)};
  records[1].byId = (dir / "by-id" / "usb-link").string();
  AssignCommPorts(records, [&](int16_t port) -> std::string {
    if (port == 2) return (dir / "ttyS1").string();
    return port == 7 ? (dir / "by-id" / "usb-link").string() : "";
  });
  EXPECT_EQ(records[0].commPort, std::optional<int16_t>(2));
  EXPECT_EQ(records[1].commPort, std::optional<int16_t>(7));
  EXPECT_FALSE(records[2].commPort);
}

// Phantom UARTs are left out and the rest sorted by number.
TEST(PortRecords, TableAndJsonCarryEveryFieldOfThePresentPorts) {
  auto records = PresentPorts(Machine());
  records[1].commPort = 3;
  records[4].details = {{"ID_MODEL", "Adapter"}, {"DEVNAME", "/dev/ttyUSB1"}};
  for (const bool verbose : {false, true}) {
    std::ostringstream table;
    WritePortTable(records, verbose, table);
    for (const char* shown : {"0403:6001", "Maker Adapter", "\n3         /dev/ttyS2    serial8250",
                              "/dev/serial/by-id/usb-Maker_Adapter_A10"}) {
      EXPECT_THAT(table.str(), ::testing::HasSubstr(shown));
    }
    EXPECT_EQ(table.str().find("ID_MODEL=Adapter") != std::string::npos, verbose);

    std::ostringstream text;
    WritePortJson(records, verbose, text);
    const auto json = nlohmann::json::parse(text.str());
    std::vector<std::string> devices;
    for (const auto& port : json) devices.push_back(port["device"]);
    ASSERT_EQ(devices, (std::vector<std::string>{"/dev/ttyACM0", "/dev/ttyS2", "/dev/ttyS10",
                                                 "/dev/ttyUSB0", "/dev/ttyUSB1"}));
    EXPECT_EQ(json[1]["comm_port"], 3);
    EXPECT_TRUE(json[1]["vendor_id"].is_null());
    EXPECT_EQ(json[4]["serial_number"], "A10");
    EXPECT_EQ(json[4]["product_id"], "6001");
    EXPECT_EQ(json[4].contains("details"), verbose);
  }
  std::ostringstream none;
  WritePortTable({}, false, none);
  EXPECT_EQ(none.str(), "No serial devices found.\n");
}

}  // namespace
}  // namespace travimo::cli
