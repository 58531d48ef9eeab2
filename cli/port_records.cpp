#include "cli/port_records.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <iomanip>
#include <tuple>

#include <nlohmann/json.hpp>

#include <travimo/model/enums.h>
#include <travimo/model/error.h>

namespace travimo::cli {

namespace fs = std::filesystem;

namespace {

std::string Canonical(const std::string& path) {
  std::error_code error;
  const auto canonical = fs::weakly_canonical(path, error);
  return error ? fs::path(path).lexically_normal().string() : canonical.string();
}

// ttyS2 sorts before ttyS10.
auto SortKey(const PortRecord& record) {
  const std::string name = fs::path(record.device).filename().string();
  const auto digits = name.find_first_of("0123456789");
  long number = -1;
  if (digits != std::string::npos) number = std::strtol(name.c_str() + digits, nullptr, 10);
  return std::make_tuple(name.substr(0, digits), number, name);
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

bool IsHexId(const std::string& text) {
  return text.size() == 4 && std::all_of(text.begin(), text.end(), [](unsigned char c) {
           return std::isxdigit(c) != 0;
         });
}

std::string OrDash(const std::string& text) {
  return text.empty() ? "-" : text;
}

std::string UsbId(const PortRecord& record) {
  return record.vendorId.empty() ? "-" : record.vendorId + ":" + record.productId;
}

std::string Description(const PortRecord& record) {
  if (record.manufacturer.empty()) return OrDash(record.product);
  return record.product.empty() ? record.manufacturer
                                : record.manufacturer + " " + record.product;
}

}  // namespace

std::vector<PortRecord> PresentPorts(std::vector<PortRecord> records) {
  std::erase_if(records, [](const PortRecord& record) { return !record.uartPresent; });
  std::sort(records.begin(), records.end(),
            [](const auto& a, const auto& b) { return SortKey(a) < SortKey(b); });
  return records;
}

void AssignCommPorts(std::vector<PortRecord>& records,
                     const std::function<std::string(int16_t)>& deviceFor) {
  std::map<std::string, int16_t> ports;
  for (int16_t port = 1; port <= 255; ++port) {
    const std::string device = deviceFor(port);
    if (!device.empty()) ports.emplace(Canonical(device), port);  // first port wins
  }
  for (PortRecord& record : records) {
    for (const std::string& path : {record.device, record.byId}) {
      if (path.empty() || record.commPort) continue;
      const auto found = ports.find(Canonical(path));
      if (found != ports.end()) record.commPort = found->second;
    }
  }
}

void WritePortTable(const std::vector<PortRecord>& records, bool verbose, std::ostream& out) {
  if (records.empty()) {
    out << "No serial devices found.\n";
    return;
  }
  using Row = std::array<std::string, 6>;
  std::vector<Row> rows = {{"CommPort", "Device", "Driver", "USB id", "Serial", "Description"}};
  for (const auto& record : records) {
    rows.push_back({record.commPort ? std::to_string(*record.commPort) : "-", record.device,
                    OrDash(record.driver), UsbId(record), OrDash(record.serialNumber),
                    Description(record)});
  }
  // Each column as wide as its widest cell: a driver name or serial may be long.
  const size_t last = rows.front().size() - 1;
  std::array<size_t, 6> widths{};
  for (const Row& row : rows) {
    for (size_t i = 0; i < last; ++i) widths[i] = std::max(widths[i], row[i].size() + 2);
  }
  for (size_t r = 0; r < rows.size(); ++r) {
    for (size_t i = 0; i < last; ++i) {
      out << std::left << std::setw(static_cast<int>(widths[i])) << rows[r][i];
    }
    out << rows[r][last] << '\n';
    if (r == 0) continue;
    const PortRecord& record = records[r - 1];
    if (!record.byId.empty()) out << std::string(widths[0], ' ') << record.byId << '\n';
    if (!verbose) continue;
    for (const auto& [key, value] : record.details) {
      out << std::string(widths[0] + 2, ' ') << key << '=' << value << '\n';
    }
  }
}

void WritePortJson(const std::vector<PortRecord>& records, bool verbose, std::ostream& out) {
  auto text = [](const std::string& value) {
    return value.empty() ? nlohmann::json(nullptr) : nlohmann::json(value);
  };
  nlohmann::json ports = nlohmann::json::array();
  for (const auto& record : records) {
    nlohmann::json port = {{"device", record.device},
                           {"by_id", text(record.byId)},
                           {"comm_port", record.commPort ? nlohmann::json(*record.commPort)
                                                         : nlohmann::json(nullptr)},
                           {"driver", text(record.driver)},
                           {"vendor_id", text(record.vendorId)},
                           {"product_id", text(record.productId)},
                           {"manufacturer", text(record.manufacturer)},
                           {"product", text(record.product)},
                           {"serial_number", text(record.serialNumber)}};
    if (verbose) port["details"] = record.details;
    ports.push_back(std::move(port));
  }
  // Replaced, never thrown: a property the device manager reports need not be UTF-8.
  out << ports.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
}

std::optional<PortAlias> ParsePortAlias(const std::string& device) {
  PortAlias alias;
  const std::string lower = Lower(device);
  if (lower.rfind("serial-number:", 0) == 0) {
    alias.serialNumber = device.substr(14);
    if (alias.serialNumber.empty()) alias.problem = "the serial number is missing";
    return alias;
  }
  if (lower.rfind("usb:", 0) != 0) return std::nullopt;
  const std::string rest = device.substr(4);
  const size_t first = rest.find(':');
  const size_t second = first == std::string::npos ? first : rest.find(':', first + 1);
  alias.vendorId = Lower(rest.substr(0, first));
  if (first != std::string::npos) alias.productId = Lower(rest.substr(first + 1, second - first - 1));
  if (second != std::string::npos) alias.serialNumber = rest.substr(second + 1);
  if (!IsHexId(alias.vendorId) || !IsHexId(alias.productId)) {
    alias.problem = "expected usb:VID:PID[:SERIAL] with four hex digits each, such as usb:0403:6001";
  } else if (second != std::string::npos && alias.serialNumber.empty()) {
    alias.problem = "the serial number after the last colon is missing";
  }
  return alias;
}

std::vector<PortRecord> MatchingPorts(const std::vector<PortRecord>& records,
                                      const PortAlias& alias) {
  std::vector<PortRecord> found;
  for (const auto& record : records) {
    if (!alias.vendorId.empty() && Lower(record.vendorId) != alias.vendorId) continue;
    if (!alias.productId.empty() && Lower(record.productId) != alias.productId) continue;
    if (!alias.serialNumber.empty() && record.serialNumber != alias.serialNumber) continue;
    found.push_back(record);
  }
  return found;
}

std::string ResolvePortAlias(const std::string& text, const PortAlias& alias,
                             const std::vector<PortRecord>& records) {
  auto fail = [&](const std::string& why) {
    return RuntimeError(ComportError, "travimo", "Cannot open " + text + ": " + why);
  };
  if (!alias.problem.empty()) throw fail(alias.problem);
  const auto found = MatchingPorts(records, alias);
  if (found.empty()) {
    throw fail("no serial adapter present matches it; travimo ports lists the adapters "
               "with their USB ids and serial numbers");
  }
  if (found.size() > 1) {
    std::string names;
    for (const auto& record : found) names += (names.empty() ? "" : ", ") + record.device;
    throw fail("it matches " + std::to_string(found.size()) + " adapters (" + names +
               "); add the serial number that travimo ports shows, as usb:VID:PID:SERIAL");
  }
  return found.front().device;
}

}  // namespace travimo::cli
