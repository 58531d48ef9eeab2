#pragma once
// The archive as the tool uses it: reads kept after the fact, and the
// commands that look through them.
#include <cstdint>
#include <string>

#include "archive/archive_entry.h"
#include "cli/console.h"
#include "cli/emit.h"
#include "control/travimo.h"

namespace travimo::cli {

struct ArchiveOptions {
  std::string path;  // given with --archive; empty: the default location
  bool off = false;  // --no-archive
};

struct HistoryCommand {
  ArchiveOptions archive;
  archive::HistoryFilter filter;
  OutputFormat format = OutputFormat::Table;
};

struct ShowCommand {
  ArchiveOptions archive;
  int64_t id = 0;
  OutputOptions output;
};

// What the archive keeps of a read the control just made: settings from the
// control, the bytes it received, the outcome and the times given.
archive::ReadEntry EntryOfRead(const Travimo& control, const ReadResults& results,
                               int32_t errorNumber, int64_t startedUtcMs, int64_t endedUtcMs);
int64_t NowUtcMs();

// Keeps entry and names its number on err. A failure is told on err and
// costs nothing unless the archive was named explicitly: then File.
int ArchiveRead(const ArchiveOptions& options, const archive::ReadEntry& entry, Console& console);

// "YYYY-MM-DD" or "YYYY-MM-DDThh:mm[:ss]", taken as UTC; fails with 5.
int64_t ParseUtcMs(const std::string& text);

int RunHistoryCommand(const HistoryCommand& command, Console& console);
int RunShowCommand(const ShowCommand& command, Console& console);
int RunArchivePathCommand(const ArchiveOptions& options, Console& console);
int RunArchiveCheckCommand(const ArchiveOptions& options, Console& console);

}  // namespace travimo::cli
