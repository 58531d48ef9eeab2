// Raw-data files taken into the archive, decoded with the settings of the
// read that saved them when their sidecar still describes them.
#include <sys/stat.h>

#include <fstream>
#include <nlohmann/json.hpp>

#include "archive/archive_store.h"
#include "archive/sha256.h"
#include "cli/archive_commands.h"
#include "cli/error_report.h"
#include "cli/exit_status.h"
#include "cli/native_files.h"
#include "model/error.h"

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
  const std::string name = file + ".json";
  std::ifstream in(name, std::ios::binary);
  if (!in) return std::nullopt;
  const auto doc = nlohmann::json::parse(in, nullptr, false);
  const std::vector<uint8_t> data(bytes.begin(), bytes.end());
  ReadOrigin origin;
  try {
    if (!doc.is_object() || !doc.contains("travimoRawDataSettings")) {
      err << "travimo: read settings not applied: \"" << name << "\" is no raw-data settings file\n";
      return std::nullopt;
    }
    if (doc.value("bytes", uint64_t{0}) != bytes.size() ||
        doc.value("sha256", std::string()) != archive::Sha256Hex(data)) {
      err << "travimo: read settings not applied: \"" << name << "\" describes other bytes than \""
          << file << "\"\n";
      return std::nullopt;
    }
    origin.settings.type = doc.value("TravimoType", int32_t{Lorvex});
    origin.settings.dataType = doc.value("ScanDataType", int32_t{Moisture});
    origin.settings.units = doc.value("Temp_Units", int32_t{Celsius});
    origin.settings.points = doc.value("NumberOfPoints", int32_t{Max512});
    origin.settings.blueLine = doc.value("BlueLineTrigger", int32_t{BlueLineAuto});
    origin.device = doc.value("device", std::string());
    origin.lineSettings = doc.value("Settings", std::string());
    origin.startedUtcMs = UtcMsOf(doc.value("started", std::string()));
    origin.endedUtcMs = UtcMsOf(doc.value("ended", std::string()));
  } catch (const nlohmann::json::exception&) {
    err << "travimo: read settings not applied: \"" << name << "\" has a member of the wrong kind\n";
    return std::nullopt;
  }
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
