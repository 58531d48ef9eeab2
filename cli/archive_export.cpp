// Several archived reads in one file, each written by the format's own writer.
#include <algorithm>
#include <nlohmann/json.hpp>
#include <sstream>

#include "archive/archive_store.h"
#include "cli/archive_commands.h"
#include "cli/error_report.h"
#include "cli/exit_status.h"
#include "cli/native_files.h"
#include <travimo/model/error.h>

namespace travimo::cli {

namespace {

using Json = nlohmann::ordered_json;

struct Numbered {
  int64_t id;
  archive::ReadEntry entry;
};

std::string Written(int64_t id, const archive::ReadEntry& entry, OutputFormat format) {
  OutputOptions options;
  options.format = format;
  std::ostringstream text;
  MakeWriter(options, MetadataOfEntry(id, entry))->Write(entry.results, text);
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

// Every row led by its read's number. Reads of one layout (one instrument's
// header fields) share one block under one header line, blocks in the order
// their first read was named, a blank line between them.
void WriteCsv(const std::vector<Numbered>& reads, std::ostream& out) {
  std::vector<std::pair<std::string, std::string>> blocks;  // header, rows
  for (const auto& [id, entry] : reads) {
    const auto lines = CsvLines(Written(id, entry, OutputFormat::Csv));
    if (lines.empty()) continue;
    auto block = std::find_if(blocks.begin(), blocks.end(),
                              [&](const auto& b) { return b.first == lines.front(); });
    if (block == blocks.end()) block = blocks.insert(blocks.end(), {lines.front(), {}});
    for (size_t i = 1; i < lines.size(); ++i) {
      block->second += std::to_string(id) + ',' + lines[i] + '\n';
    }
  }
  for (size_t b = 0; b < blocks.size(); ++b) {
    if (b > 0) out << '\n';
    out << "read," << blocks[b].first << '\n' << blocks[b].second;
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
    const Json document = Json::parse(Written(id, entry, OutputFormat::Json));
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
