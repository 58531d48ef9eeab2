// Raw-data files taken into the archive, decoded with the settings of the
// read that saved them when their sidecar still describes them.
#include <sys/stat.h>

#include "archive/archive_store.h"
#include "cli/archive_commands.h"
#include "cli/error_report.h"
#include "cli/exit_status.h"
#include "cli/native_files.h"
#include "cli/raw_sidecar.h"
#include <travimo/model/error.h>

namespace travimo::cli {

namespace {

// What a raw-data file's sidecar tells of the read that received its bytes.
struct ReadOrigin {
  ControlSettings settings;
  std::string device;
  std::string lineSettings;
  std::optional<int64_t> startedUtcMs;
  std::optional<int64_t> endedUtcMs;
};

std::optional<int64_t> UtcMsOf(std::string text) {
  if (!text.empty() && text.back() == 'Z') text.pop_back();
  try {
    return ParseUtcMs(text);
  } catch (const RuntimeError&) {
    return std::nullopt;
  }
}

// FILE.json when it describes these bytes (their count and SHA-256); a
// sidecar that does not is told on err and left out.
std::optional<ReadOrigin> OriginFromSidecar(const std::string& file, const std::string& bytes,
                                            std::ostream& err) {
  const std::optional<RawDataSidecar> sidecar = MatchingSidecar(file, bytes, err);
  if (!sidecar) return std::nullopt;
  ReadOrigin origin;
  origin.settings.type = sidecar->travimoType;
  origin.settings.dataType = sidecar->scanDataType;
  origin.settings.units = sidecar->tempUnits;
  origin.settings.points = sidecar->numberOfPoints;
  origin.settings.blueLine = sidecar->blueLineTrigger;
  origin.device = sidecar->device;
  origin.lineSettings = sidecar->lineSettings;
  origin.startedUtcMs = UtcMsOf(sidecar->started);
  origin.endedUtcMs = UtcMsOf(sidecar->ended);
  return origin;
}

// The bytes and the file's modification time, or a RuntimeError naming it.
std::string ReadRawFile(const std::string& file, int64_t& modifiedUtcMs) {
  std::string bytes = ReadUserFile(file);
  struct stat st {};
  if (::stat(file.c_str(), &st) == 0) {
    modifiedUtcMs = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000 + st.st_mtim.tv_nsec / 1'000'000;
  }
  return bytes;
}

// Without a sidecar the file's modification time stands for the read's.
archive::ReadEntry EntryOfFile(const std::string& bytes, int64_t modifiedUtcMs,
                               const std::optional<ReadOrigin>& origin, OfflineDecode& decode) {
  decode = DecodeOffline(bytes, origin ? origin->settings : ControlSettings{}, std::nullopt);
  archive::ReadEntry e = EntryOfDecode(
      decode, bytes, origin && origin->startedUtcMs ? *origin->startedUtcMs : modifiedUtcMs,
      origin && origin->endedUtcMs ? *origin->endedUtcMs : modifiedUtcMs);
  e.source = "import";
  if (origin) {
    e.device = origin->device;
    e.lineSettings = origin->lineSettings;
  }
  return e;
}

}  // namespace

int RunImportCommand(const ImportCommand& command, Console& console) {
  std::unique_ptr<archive::ArchiveStore> store;
  try {
    store = archive::OpenSqliteArchive(ArchivePathOf(command.archive));
  } catch (const RuntimeError& error) {
    return ReportError(console.err, error.Number(), error.Description());
  }
  int status = ExitStatus::Ok;
  for (const std::string& file : command.files) {
    try {
      int64_t modified = archive::NowUtcMs();
      const std::string bytes = ReadRawFile(file, modified);
      OfflineDecode decode;
      const auto origin = OriginFromSidecar(file, bytes, console.err);
      const int64_t id = store->Add(EntryOfFile(bytes, modified, origin, decode));
      console.err << "Imported " << file << (origin ? " with the read's settings from its .json" : "")
                  << " as read " << id;
      if (decode.errorNumber != 0) {
        console.err << ", which does not decode: "
                    << ErrorLine(decode.errorNumber, decode.errorDescription);
      }
      console.err << '\n';
    } catch (const RuntimeError& error) {
      ReportError(console.err, error.Number(), error.Description());
      status = ExitStatus::File;
    }
  }
  return status;
}

}  // namespace travimo::cli
