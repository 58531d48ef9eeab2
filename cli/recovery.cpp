#include "cli/recovery.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "cli/native_files.h"
#include "model/error.h"

namespace travimo::cli {

namespace {

// "received-20261207-101500": the UTC second the bytes were kept.
std::string StampedName() {
  using namespace std::chrono;
  const auto now = floor<seconds>(system_clock::now());
  const year_month_day day{floor<days>(now)};
  const hh_mm_ss time{now - floor<days>(now)};
  char text[40];
  std::snprintf(text, sizeof text, "received-%04d%02u%02u-%02ld%02ld%02ld",
                static_cast<int>(day.year()), static_cast<unsigned>(day.month()),
                static_cast<unsigned>(day.day()), static_cast<long>(time.hours().count()),
                static_cast<long>(time.minutes().count()), static_cast<long>(time.seconds().count()));
  return text;
}

}  // namespace

std::string KeepReceivedBytes(std::string_view bytes) {
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
  return path;
}

void KeepInRecovery(std::string_view bytes, std::ostream& err) {
  if (bytes.empty()) {
    err << "travimo: nothing had been received\n";
    return;
  }
  try {
    const std::string path = KeepReceivedBytes(bytes);
    err << "travimo: the " << bytes.size() << " received bytes are kept in " << path
        << " (decode them with: travimo parse " << path << ")\n";
  } catch (const RuntimeError& error) {
    err << "travimo: the received bytes could not be kept: " << error.Description() << '\n';
  }
}

}  // namespace travimo::cli
