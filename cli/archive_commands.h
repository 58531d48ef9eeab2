#pragma once
// The archive as the tool uses it: reads kept after the fact, and the
// commands that look through them.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "archive/archive_entry.h"
#include "archive/read_entry.h"
#include "cli/console.h"
#include "cli/control_settings.h"
#include "cli/emit.h"
#include "cli/offline_decode.h"
#include <travimo/control/travimo.h>

namespace travimo::cli {

struct ArchiveOptions {
  std::string path;    // given with --archive; empty: the default location
  bool off = false;    // --no-archive
  bool asked = false;  // archiving asked for even without a path (parse --archive)
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

struct ReparseCommand {
  ArchiveOptions archive;
  int64_t id = 0;
  std::optional<TransferKind> force;  // a parser chosen regardless of the text
  ControlSettings settings;           // given ones replace the read's own
  OutputOptions output;
  bool save = false;  // keep the decode as a new entry pointing to the read
};

struct ExportCommand {
  ArchiveOptions archive;
  std::vector<int64_t> ids;
  OutputFormat format = OutputFormat::Csv;  // csv or json
  std::string outputFile;                   // empty or "-": standard output
};

struct ImportCommand {
  ArchiveOptions archive;
  std::vector<std::string> files;
};

// What the archive keeps of a decode of raw bytes; where they came from is
// the caller's to fill in.
archive::ReadEntry EntryOfDecode(const OfflineDecode& decode, std::string_view raw,
                                 int64_t startedUtcMs, int64_t endedUtcMs);

// Keeps entry and names its number on err. A failure is told on err and
// costs nothing unless the archive was named or asked for: then File.
// The entry's number goes to *id when kept and id is given.
int ArchiveRead(const ArchiveOptions& options, const archive::ReadEntry& entry, Console& console,
                std::optional<int64_t>* id = nullptr);

// The archive named by options, or the default one; fails with 75 when
// there is no default location.
std::string ArchivePathOf(const ArchiveOptions& options);

// What an export of the kept read says about it.
exports::ExportMetadata MetadataOfEntry(int64_t id, const archive::ReadEntry& entry);

// "YYYY-MM-DD" or "YYYY-MM-DDThh:mm[:ss]", taken as UTC; fails with 5.
int64_t ParseUtcMs(const std::string& text);

int RunHistoryCommand(const HistoryCommand& command, Console& console);
int RunShowCommand(const ShowCommand& command, Console& console);
int RunReparseCommand(const ReparseCommand& command, Console& console);
int RunExportCommand(const ExportCommand& command, Console& console);
int RunImportCommand(const ImportCommand& command, Console& console);
int RunArchivePathCommand(const ArchiveOptions& options, Console& console);
int RunArchiveCheckCommand(const ArchiveOptions& options, Console& console);

}  // namespace travimo::cli
