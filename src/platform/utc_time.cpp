#include "platform/utc_time.h"

#include <chrono>
#include <cstdio>

namespace travimo {

std::string UtcTimestampNow() {
  using namespace std::chrono;
  const auto now = floor<seconds>(system_clock::now());
  const year_month_day day{floor<days>(now)};
  const hh_mm_ss time{now - floor<days>(now)};
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02ld:%02ld:%02ldZ", static_cast<int>(day.year()),
                static_cast<unsigned>(day.month()), static_cast<unsigned>(day.day()),
                static_cast<long>(time.hours().count()), static_cast<long>(time.minutes().count()),
                static_cast<long>(time.seconds().count()));
  return text;
}

}  // namespace travimo
