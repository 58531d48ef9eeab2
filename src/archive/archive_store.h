#pragma once
// Where archived reads are kept. Commands talk to this interface only, so a
// server database can stand in for the local file without touching them.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "archive/archive_entry.h"

namespace travimo::archive {

class ArchiveStore {
 public:
  virtual ~ArchiveStore() = default;
  // The new entry's number; the entry is complete or absent, never partial.
  virtual int64_t Add(const ReadEntry& entry) = 0;
  // Each line, oldest first, as it is read: a long history is never held whole.
  virtual void VisitHistory(const HistoryFilter& filter,
                            const std::function<void(const ReadSummary&)>& each) = 0;
  std::vector<ReadSummary> History(const HistoryFilter& filter) {
    std::vector<ReadSummary> lines;
    VisitHistory(filter, [&lines](const ReadSummary& line) { lines.push_back(line); });
    return lines;
  }
  // Fails with 5 for a number not in the archive, 75 when its bytes no longer
  // match their checksum.
  virtual ReadEntry Load(int64_t id) = 0;
  virtual CheckResult Check() = 0;
  virtual std::string Location() const = 0;
};

// Long enough for another process's insert to finish, short enough that a
// stuck lock does not hold up the read that is waiting to be archived.
inline constexpr int kArchiveBusyTimeoutMs = 5000;

// Opens or creates the SQLite archive at path, bringing its schema up to date.
// Fails with 75 for a file that is not an archive or one of a newer version.
// A write waits up to busyTimeoutMs for another writer, then fails with 75.
std::unique_ptr<ArchiveStore> OpenSqliteArchive(const std::string& path,
                                                int busyTimeoutMs = kArchiveBusyTimeoutMs);

}  // namespace travimo::archive
