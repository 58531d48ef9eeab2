// The serial ports Windows knows, from the registry's SERIALCOMM map: the
// name each driver gave its port and the COM name that reaches it.
#include <algorithm>
#include <cstdlib>
#include <tuple>
#include <vector>

#include "cli/port_records.h"
#include "platform/windows/win32.h"
#include "platform/windows/win32_text.h"

namespace travimo::cli {

namespace {

struct ComEntry {
  std::string name;    // COM3
  std::string device;  // \\Device\Serial0
  int port = 0;        // 3; 0 for a name that is not COMn
};

std::vector<ComEntry> SerialCommEntries() {
  std::vector<ComEntry> entries;
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &key) !=
      ERROR_SUCCESS) {
    return entries;
  }
  for (DWORD index = 0;; ++index) {
    wchar_t valueName[256];
    DWORD nameLength = 256;
    wchar_t data[256];
    DWORD dataSize = sizeof data;
    DWORD type = 0;
    const LONG result = RegEnumValueW(key, index, valueName, &nameLength, nullptr, &type,
                                      reinterpret_cast<BYTE*>(data), &dataSize);
    if (result == ERROR_NO_MORE_ITEMS) break;
    if (result != ERROR_SUCCESS || type != REG_SZ) continue;
    ComEntry entry;
    std::wstring name(data, dataSize / sizeof(wchar_t));
    while (!name.empty() && name.back() == L'\0') name.pop_back();
    entry.name = windows::Narrow(name);
    entry.device = windows::Narrow(std::wstring(valueName, nameLength));
    if (entry.name.size() > 3 && entry.name.compare(0, 3, "COM") == 0) {
      entry.port = std::atoi(entry.name.c_str() + 3);
    }
    entries.push_back(std::move(entry));
  }
  RegCloseKey(key);
  std::sort(entries.begin(), entries.end(), [](const ComEntry& a, const ComEntry& b) {
    return std::tie(a.port, a.name) < std::tie(b.port, b.name);
  });
  return entries;
}

}  // namespace

std::vector<PortRecord> ListPorts() {
  std::vector<PortRecord> records;
  for (const ComEntry& entry : SerialCommEntries()) {
    PortRecord record;
    record.device = entry.name;
    record.driver = entry.device;
    if (entry.port > 0 && entry.port <= 32767) record.commPort = static_cast<int16_t>(entry.port);
    records.push_back(std::move(record));
  }
  return records;
}

}  // namespace travimo::cli
