#include "cli/archive_commands.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <nlohmann/json.hpp>

#include "archive/archive_location.h"
#include "archive/archive_store.h"
#include "archive/read_entry.h"
#include "cli/error_report.h"
#include "cli/exit_status.h"
#include <travimo/model/enums.h>
#include <travimo/model/error.h>

namespace travimo::cli {

namespace {

std::string UtcText(int64_t utcMs) {
  const std::time_t seconds = static_cast<std::time_t>(utcMs / 1000);
  std::tm tm{};
  gmtime_r(&seconds, &tm);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &tm);
  return text;
}

std::string Outcome(const archive::ReadSummary& line) {
  if (line.errorNumber == 0) return "ok";
  return "error " + std::to_string(line.errorNumber) +
         (line.errorName.empty() ? "" : " (" + line.errorName + ")");
}

std::string CsvField(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return quoted + "\"";
}

// Text padded with blanks to width, at least one blank after it.
void Column(std::string& line, std::string_view text, size_t width) {
  line += text;
  line.append(text.size() < width ? width - text.size() : 1, ' ');
}

// Each line written as it is read, so a long history starts at once and
// never sits in memory whole (JSON excepted: it is one document).
void WriteHistory(archive::ArchiveStore& store, const archive::HistoryFilter& filter,
                  OutputFormat format, std::ostream& out) {
  if (format == OutputFormat::Json) {
    nlohmann::json all = nlohmann::json::array();
    store.VisitHistory(filter, [&all](const archive::ReadSummary& l) {
      all.push_back({{"number", l.id},
                     {"time", UtcText(l.startedUtcMs)},
                     {"utcOffsetMinutes", l.utcOffsetMinutes},
                     {"source", l.source},
                     {"device", l.device},
                     {"instrument", l.instrument},
                     {"records", l.records},
                     {"errorNumber", l.errorNumber},
                     {"outcome", Outcome(l)},
                     {"parent", l.parentId ? nlohmann::json(*l.parentId) : nlohmann::json()}});
    });
    out << all.dump(2) << '\n';
    return;
  }
  if (format == OutputFormat::Csv) {
    out << "number,time,device,instrument,records,outcome\r\n";
    store.VisitHistory(filter, [&out](const archive::ReadSummary& l) {
      out << l.id << ',' << UtcText(l.startedUtcMs) << ',' << CsvField(l.device) << ','
          << l.instrument << ',' << l.records << ',' << CsvField(Outcome(l)) << "\r\n";
    });
    return;
  }
  out << "Number Time (UTC)            Device                  Type     Records Outcome\n";
  std::string line;
  store.VisitHistory(filter, [&out, &line](const archive::ReadSummary& l) {
    line.clear();
    Column(line, std::to_string(l.id), 7);
    Column(line, UtcText(l.startedUtcMs), 22);
    Column(line, l.device.empty() ? "-" : l.device, 24);
    Column(line, l.instrument, 9);
    Column(line, std::to_string(l.records), 8);
    line += Outcome(l);
    line += '\n';
    out << line;
  });
}

int Report(const RuntimeError& error, Console& console) {
  return ReportError(console.err, error.Number(), error.Description());
}

}  // namespace

std::string ArchivePathOf(const ArchiveOptions& options) {
  return archive::ArchivePath(options.path);
}

archive::ReadEntry EntryOfDecode(const OfflineDecode& decode, std::string_view raw,
                                 int64_t startedUtcMs, int64_t endedUtcMs) {
  archive::ReadEntry e =
      archive::EntryAt(startedUtcMs, endedUtcMs, decode.errorNumber, decode.errorDescription);
  const DecodeSettings& s = decode.settings;
  e.typeAsked = s.travimoType;
  e.settings = {s.scanDataType, s.tempUnits, s.numberOfPoints, s.blueLineTrigger,
                decode.arrayStart};
  e.raw.assign(raw.begin(), raw.end());
  e.results = decode.results;
  return e;
}

int ArchiveRead(const ArchiveOptions& options, const archive::ReadEntry& entry, Console& console,
                std::optional<int64_t>* kept) {
  if (options.off) return ExitStatus::Ok;
  try {
    const std::string path = ArchivePathOf(options);
    const int64_t id = archive::KeepRead(path, entry);
    if (kept) *kept = id;
    console.err << "Archived as read " << id << " in " << path << '\n';
    return ExitStatus::Ok;
  } catch (const RuntimeError& error) {
    console.err << "travimo: the read was not archived: "
                << ErrorLine(error.Number(), error.Description()) << '\n';
  } catch (const std::exception& error) {  // out of memory, say: still never the read's end
    console.err << "travimo: the read was not archived: " << error.what() << '\n';
  }
  return options.path.empty() && !options.asked ? ExitStatus::Ok : ExitStatus::File;
}

exports::ExportMetadata MetadataOfEntry(int64_t id, const archive::ReadEntry& entry) {
  exports::ExportMetadata metadata;
  metadata.device = entry.device;
  metadata.readUtcMs = entry.startedUtcMs;
  metadata.archiveEntry = id;
  const auto& s = entry.settings;
  metadata.settings =
      exports::ParseSettingsOf(entry.results.kind, {s.scanDataType, s.tempUnits, s.numberOfPoints,
                                                    s.blueLineTrigger, s.arrayStart});
  return metadata;
}

int64_t ParseUtcMs(const std::string& text) {
  std::tm tm{};
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  char rest = 0;
  const int n = std::sscanf(text.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d%c", &year, &month, &day, &hour,
                            &minute, &second, &rest);
  if (!(n == 3 || n == 5 || n == 6) || month < 1 || month > 12 || day < 1 || day > 31 ||
      hour > 23 || minute > 59 || second > 60) {
    throw RuntimeError(ErrorNumber::InvalidArgument, "travimo",
                       "Invalid date " + text + ": give YYYY-MM-DD or YYYY-MM-DDThh:mm[:ss] (UTC)");
  }
  tm.tm_year = year - 1900;
  tm.tm_mon = month - 1;
  tm.tm_mday = day;
  tm.tm_hour = hour;
  tm.tm_min = minute;
  tm.tm_sec = second;
  return static_cast<int64_t>(timegm(&tm)) * 1000;
}

int RunHistoryCommand(const HistoryCommand& command, Console& console) {
  try {
    auto store = archive::OpenSqliteArchive(ArchivePathOf(command.archive));
    WriteHistory(*store, command.filter, command.format, console.out);
    console.out.flush();
    return ExitStatus::Ok;
  } catch (const RuntimeError& error) {
    return Report(error, console);
  }
}

int RunShowCommand(const ShowCommand& command, Console& console) {
  archive::ReadEntry entry;
  try {
    entry = archive::OpenSqliteArchive(ArchivePathOf(command.archive))->Load(command.id);
  } catch (const RuntimeError& error) {
    return Report(error, console);
  }
  return EmitResults(entry.results, MetadataOfEntry(command.id, entry), command.output, console);
}

int RunArchivePathCommand(const ArchiveOptions& options, Console& console) {
  try {
    console.out << ArchivePathOf(options) << '\n';
    return ExitStatus::Ok;
  } catch (const RuntimeError& error) {
    return Report(error, console);
  }
}

int RunArchiveCheckCommand(const ArchiveOptions& options, Console& console) {
  try {
    const std::string path = ArchivePathOf(options);
    const auto result = archive::OpenSqliteArchive(path)->Check();
    for (const auto& problem : result.problems) console.out << path << ": " << problem << '\n';
    console.out << path << (result.ok ? ": ok" : ": damaged") << '\n';
    return result.ok ? ExitStatus::Ok : ExitStatus::File;
  } catch (const RuntimeError& error) {
    return Report(error, console);
  }
}

}  // namespace travimo::cli
