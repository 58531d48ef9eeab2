#include "cli/port_list.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string_view>
#include <system_error>
#include <tuple>

namespace travimo::cli {

namespace fs = std::filesystem;

namespace {

constexpr std::array<std::string_view, 3> kPrefixes = {"ttyS", "ttyUSB", "ttyACM"};

std::string Canonical(const fs::path& path) {
  std::error_code error;
  const auto canonical = fs::weakly_canonical(path, error);
  return error ? path.lexically_normal().string() : canonical.string();
}

// ttyS2 sorts before ttyS10.
auto SortKey(const SerialDeviceEntry& entry) {
  const std::string name = fs::path(entry.path).filename().string();
  const auto digits = name.find_first_of("0123456789");
  const std::string stem = name.substr(0, digits);
  long number = -1;
  if (digits != std::string::npos) number = std::strtol(name.c_str() + digits, nullptr, 10);
  const bool byId = entry.path.find("/serial/by-id/") != std::string::npos;
  return std::make_tuple(byId, stem, number, name);
}

bool MatchesPrefix(const std::string& name) {
  return std::any_of(kPrefixes.begin(), kPrefixes.end(), [&](std::string_view prefix) {
    return name.size() > prefix.size() && name.compare(0, prefix.size(), prefix) == 0;
  });
}

std::vector<fs::path> Candidates(const fs::path& root) {
  std::vector<fs::path> found;
  std::error_code error;
  for (fs::directory_iterator it(root, error), end; !error && it != end; it.increment(error)) {
    if (MatchesPrefix(it->path().filename().string())) found.push_back(it->path());
  }
  const fs::path byId = root / "serial" / "by-id";
  for (fs::directory_iterator it(byId, error), end; !error && it != end; it.increment(error)) {
    found.push_back(it->path());
  }
  return found;
}

std::map<std::string, int16_t> PortsByDevice(const std::function<std::string(int16_t)>& deviceFor) {
  std::map<std::string, int16_t> ports;
  for (int16_t port = 1; port <= kHighestPort; ++port) {
    const std::string device = deviceFor(port);
    if (!device.empty()) ports.emplace(Canonical(device), port);  // first port wins
  }
  return ports;
}

}  // namespace

std::vector<SerialDeviceEntry> ListSerialDevices(
    const std::string& devRoot, const std::function<std::string(int16_t)>& deviceFor) {
  const auto ports = PortsByDevice(deviceFor);
  std::vector<SerialDeviceEntry> entries;
  for (const auto& path : Candidates(devRoot)) {
    SerialDeviceEntry entry;
    entry.path = path.string();
    std::error_code error;
    if (fs::is_symlink(path, error)) entry.target = Canonical(path);
    const auto found = ports.find(Canonical(path));
    if (found != ports.end()) entry.commPort = found->second;
    entries.push_back(std::move(entry));
  }
  std::sort(entries.begin(), entries.end(),
            [](const auto& a, const auto& b) { return SortKey(a) < SortKey(b); });
  return entries;
}

}  // namespace travimo::cli
