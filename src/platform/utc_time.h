#pragma once
// The wall clock's now as ISO 8601 UTC with seconds ("2026-12-07T10:15:00Z"),
// for what a user reads later: trace headers, a raw-data file's read times.
#include <string>

namespace travimo {

std::string UtcTimestampNow();

}  // namespace travimo
