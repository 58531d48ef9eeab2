#pragma once
// Entries made from what a host has at hand after a read. The control itself
// never archives: a host that keeps its reads wraps its serial backend in a
// RecordingSerial and, once the read has returned, calls
//
//   archive::KeepRead(path, archive::EntryOfRead(control, recording.Received(),
//                                                 CollectResults(control), error,
//                                                 started, archive::NowUtcMs()));
#include <cstdint>
#include <string>
#include <string_view>

#include "archive/archive_entry.h"
#include <travimo/control/travimo.h>

namespace travimo::archive {

int64_t NowUtcMs();

// An entry's times (with the local UTC offset then), this program's version
// and the outcome: errorNumber 0 for success, else its name and description.
ReadEntry EntryAt(int64_t startedUtcMs, int64_t endedUtcMs, int32_t errorNumber,
                  std::string_view errorDescription);

// A read the control just made: its settings, the bytes received, the
// outcome and the records. A failed read keeps its bytes, not its records.
ReadEntry EntryOfRead(const Travimo& control, std::string_view received,
                      const ReadResults& results, int32_t errorNumber, int64_t startedUtcMs,
                      int64_t endedUtcMs);

// The archive at path, the default one ($XDG_DATA_HOME/travimo/...) when
// empty; fails with 75 when there is no default location.
std::string ArchivePath(const std::string& path);

// Keeps entry in the archive at path (see ArchivePath); the new entry's
// number. Fails with the archive's RuntimeError.
int64_t KeepRead(const std::string& path, const ReadEntry& entry);

}  // namespace travimo::archive
