// Several archived reads in one file, each written by the format's own writer.
#include <nlohmann/json.hpp>
#include <sstream>

#include "archive/archive_store.h"
#include "cli/archive_commands.h"
#include "cli/error_report.h"
#include "cli/exit_status.h"
#include "cli/native_files.h"
#include "model/error.h"

namespace travimo::cli {

namespace {

using Json = nlohmann::ordered_json;

struct Numbered {
  int64_t id;
  archive::ReadEntry entry;
};

std::string Written(const ReadResults& results, OutputFormat format) {
  std::ostringstream text;
  MakeWriter(format)->Write(results, text);
  return text.str();
}

// Splits CSV text into its lines, a line break inside quotes staying in its line.
std::vector<std::string> CsvLines(const std::string& text) {
  std::vector<std::string> lines;
  std::string line;
  bool quoted = false;
  for (const char c : text) {
    if (c == '"') quoted = !quoted;
    if (c == '\n' && !quoted) {
      lines.push_back(std::move(line));
      line.clear();
      continue;
    }
    line += c;
  }
  if (!line.empty()) lines.push_back(std::move(line));
  return lines;
}

// Every row led by its read's number. Reads of one layout share one header
// line; a read whose header differs starts a new block after a blank line.
void WriteCsv(const std::vector<Numbered>& reads, std::ostream& out) {
  std::string header;
  for (const auto& [id, entry] : reads) {
    const auto lines = CsvLines(Written(entry.results, OutputFormat::Csv));
    if (lines.empty()) continue;
    if (lines.front() != header) {
      if (!header.empty()) out << '\n';
      header = lines.front();
      out << "read," << header << '\n';
    }
    for (size_t i = 1; i < lines.size(); ++i) out << id << ',' << lines[i] << '\n';
  }
}

// One array: each read's number and origin, then its document as the JSON
// writer makes it.
void WriteJson(const std::vector<Numbered>& reads, std::ostream& out) {
  Json all = Json::array();
  for (const auto& [id, entry] : reads) {
    Json read = {{"read", id},
                 {"startedUtcMs", entry.startedUtcMs},
                 {"source", entry.source},
                 {"device", entry.device},
                 {"errorNumber", entry.errorNumber}};
    const Json document = Json::parse(Written(entry.results, OutputFormat::Json));
    for (const auto& [key, value] : document.items()) read[key] = value;
    all.push_back(std::move(read));
  }
  out << all.dump(2) << '\n';
}

}  // namespace

int RunExportCommand(const ExportCommand& command, Console& console) {
  std::vector<Numbered> reads;
  try {
    auto store = archive::OpenSqliteArchive(ArchivePathOf(command.archive));
    for (const int64_t id : command.ids) reads.push_back({id, store->Load(id)});
  } catch (const RuntimeError& error) {
    return ReportError(console.err, error.Number(), error.Description());
  }
  std::ostringstream text;
  if (command.format == OutputFormat::Json) {
    WriteJson(reads, text);
  } else {
    WriteCsv(reads, text);
  }
  if (command.outputFile.empty() || command.outputFile == "-") {
    console.out << text.view();
    return console.out.flush() ? ExitStatus::Ok : ExitStatus::File;
  }
  try {
    SaveUserFile(command.outputFile, text.view());
  } catch (const RuntimeError& error) {
    return ReportError(console.err, error.Number(), error.Description());
  }
  console.err << "Exported " << reads.size() << (reads.size() == 1 ? " read" : " reads") << " to "
              << command.outputFile << '\n';
  return ExitStatus::Ok;
}

}  // namespace travimo::cli
