#include "cli/recovery.h"

#include <filesystem>
#include <system_error>

#include "cli/native_files.h"
#include <travimo/model/error.h>
#include "rawdata/control_sidecar.h"
#include "platform/utc_time.h"

namespace travimo::cli {

namespace {

// "received-20261207-101500": the UTC second the bytes were kept.
std::string StampedName() {
  std::string name = "received-";
  for (const char c : UtcTimestampNow()) {  // "2026-12-07T10:15:00Z"
    if (c >= '0' && c <= '9') name += c;
    if (c == 'T') name += '-';
  }
  return name;
}

}  // namespace

std::string KeepReceivedBytes(std::string_view bytes, const RawDataSidecar* sidecar) {
  const std::string dir = UserStateDirectory();
  std::error_code error;
  std::filesystem::create_directories(std::filesystem::u8path(dir), error);
  if (error) {
    throw RuntimeError(ErrorNumber::PathFileAccess, "Travimo",
                       "Cannot create \"" + dir + "\": " + error.message());
  }
  const std::string stem = dir + "/" + StampedName();
  std::string path = stem + ".dat";
  for (int n = 2; std::filesystem::exists(std::filesystem::u8path(path), error); ++n)
    path = stem + "-" + std::to_string(n) + ".dat";
  SaveUserFile(path, bytes);
  if (sidecar != nullptr) SaveSidecar(path, *sidecar, bytes, SaveUserFile);
  return path;
}

void KeepInRecovery(std::string_view bytes, std::ostream& err, const RawDataSidecar* sidecar) {
  if (bytes.empty()) {
    err << "travimo: nothing had been received\n";
    return;
  }
  try {
    const std::string path = KeepReceivedBytes(bytes, sidecar);
    err << "travimo: the " << bytes.size() << " received bytes are kept in " << path
        << " (decode them with: travimo parse " << path << ")\n";
  } catch (const RuntimeError& error) {
    err << "travimo: the received bytes could not be kept: " << error.Description() << '\n';
  }
}

}  // namespace travimo::cli
