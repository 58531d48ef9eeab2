// What every run ends with: a fault's status and a message naming it, never a
// crash; help, version and the informational commands; standard input and
// output, also when they fail; and `parse` of saved transfers in every output
// format, read back as their users read them: CSV and JSON through Python's
// csv and json modules, plots opened and measured.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>

#include "cli/cli_runner.h"
#include "sim/brevane_encoder.h"
#include "sim/lorvex_encoder.h"
#include "sim/ostrel_encoder.h"
#include "sim/simulator.h"

namespace travimo::testing {
namespace {

using nlohmann::json;
using ::testing::HasSubstr;

// Usage errors are status 2; a transfer that does not decode 3, 5 or 8; a
// port that cannot be opened 6; a file that cannot be read or written 9.
TEST(CliUsage, EachFaultEndsWithItsStatusAndNamesItself) {
  const ScratchDir dir;
  const std::string raw = TRAVIMO_SOURCE_DIR "/examples/lorvex-3-scans.dat";
  const std::string svg = dir / "p.svg";
  const std::string shortScan = dir / "short.dat", noTransfer = dir / "none.dat";
  WriteBytes(shortScan, "P123");
  WriteBytes(noTransfer, "localhost\n");
  ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0600), 0);
  const std::string delimiter = "--delimiter: the delimiter is one of";
  const std::string noPort = "/dev/travimo-no-such-port";
  // clang-format off
  ExpectRefusals({
      {{}, 2, {"A subcommand is required"}},
      {{"raed", "--device", "/dev/ttyUSB0"}, 2,
       {"unknown command 'raed'; the commands are: read, demo, simulate, parse, ports,"}},
      {{"read", "--port", "abc"}, 2, {"--port: Value abc not in range"}},
      {{"read", "--port", "0"}, 2, {"--port: Value 0 not in range 1 to 32767"}},
      {{"read", "--type", "quenta"}, 2, {"--type: quenta not in"}},
      {{"read", "--port", "1", "--device", "/dev/ttyUSB0"}, 2, {"--port excludes --device"}},
      {{"read", "--device", ""}, 2, {"--device: name a device"}},
      {{"read", "--settings", "9600,q,8,1"}, 2, {"the parity must be one of"}},
      {{"read", "--format", "xml"}, 2, {"--format: xml not in"}},
      {{"read", "--points", "100"}, 2, {"--points: 100 not in"}},
      {{"demo", "--scans", "0"}, 2, {"--scans: Value 0 not in range"}},
      {{"demo", "--no-archive", "--archive", dir / "a"}, 2, {"excludes --no-archive"}},
      {{"parse"}, 2, {"FILE is required"}},
      {{"parse", "/nonexistent/raw.dat"}, 2, {"File does not exist: /nonexistent/raw.dat"}},
      {{"ports", "--extra"}, 2, {"--extra"}},
      {{"parse", raw, "--plot", dir / "plot.png.txt"}, 2, {"end its name in .svg, .png"}},
      {{"parse", raw, "--plot", dir / "plot"}, 2, {"end its name in .svg, .png or .pdf"}},
      {{"parse", raw, "--plot", svg, "--plot-size", "10x10"}, 2, {"each from 200 to 10000"}},
      {{"parse", raw, "--plot", svg, "--plot-size", "wide"}, 2, {"as WIDTHxHEIGHT"}},
      {{"parse", raw, "--format", "json", "--layout", "wide"}, 2, {"to --format csv only"}},
      {{"parse", raw, "--delimiter", "::"}, 2, {delimiter}},
      {{"parse", raw, "--delimiter", "\""}, 2, {delimiter}},
      {{"parse", raw, "--layout", "tall"}, 2, {"--layout: tall not in"}},
      {{"parse", shortScan}, 3, {"error 1 (ComportReadError): Can Not Read Comport"}},
      {{"parse", noTransfer}, 3, {"none.dat holds no instrument transfer (10 bytes)"}},
      {{"parse", raw, "--blue-line", "on"}, 5, {"error 3 (BlueLineError): Blue Line Error"}},
      {{"parse", raw, "--type", "ostrel"}, 8, {"error 32769 (InvalidOstrelDataError)"}},
      {{"parse", raw, "-o", dir / "missing/out.txt"}, 9, {dir / "missing/out.txt"}},
      // Only a regular file is parsed: a FIFO must not block (the platform's reader
      // refuses the other kinds).
      {{"parse", dir / "fifo"}, 9, {dir / "fifo"}},
      // A port is named by its path, with the next step.
      {{"read", "--device", noPort}, 6,
       {"8002 (ComportError): Cannot open " + noPort + ": No such", "travimo ports lists"}},
      {{"read", "--port", "250"}, 6, {"/dev/ttyS249"}},  // which no machine has
      // An adapter name that matches nothing present (the malformed ones are
      // port_records_test's).
      {{"read", "--device", "usb:fffe:fffd"}, 6,
       {"8002 (ComportError): Cannot open usb:fffe:fffd:"}},
  });
  // clang-format on
  EXPECT_FALSE(std::filesystem::exists(dir / "plot.png.txt"));
  EXPECT_FALSE(std::filesystem::exists(svg));
}

// Informational commands (and a parse) show what they describe; a standard
// output that fails is a fault, a closed pipe ends them as it ends any program.
TEST(CliUsage, InformationalCommandsShowWhatTheyDescribeOrFailToWrite) {
  const struct {
    std::vector<std::string> args;
    std::vector<std::string> shown;
  } cases[] = {
      {{"--help"}, {"Exit status", "10  cancelled"}},
      {{"about"}, {"Version 1.01.7", "From Lorvex, Brevane & Quenta"}},
      {{"describe"},
       {"ScanDataType", "\"Returns Number of scans read from the Lorvex\"", "TravimoError",
        "Max 512", "InvalidBrevaneDataError"}},
      {{"ports", "-v", "--format", "json"}, {"["}},  // the table is port_records_test's
      {{"parse", TRAVIMO_SOURCE_DIR "/examples/lorvex-3-scans.dat"}, {"Lorvex: 3 records"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args[0]);
    const CliRun run = Succeeds(c.args);
    ExpectHas(run.out, c.shown);
    ExpectRefusals({{c.args, 9, {"standard output"}}}, {.stdoutFile = "/dev/full"});
    const CliRun closed = RunCli(c.args, {.stdoutClosed = true});
    EXPECT_EQ(closed.status, 128 + SIGPIPE);
    EXPECT_EQ(closed.err, "");
  }
  EXPECT_EQ(RunCli({"--version"}).out, "Version 1.01.7\n");
  // NumberOfScans is hidden from a property browser.
  const std::string described = RunCli({"describe"}).out;
  EXPECT_THAT(described.substr(described.find("NumberOfScans"), 120), HasSubstr("[hidden]"));
  // The exit statuses are documented once, in the main help.
  for (const char* command : {"read", "parse", "demo"}) {
    EXPECT_THAT(Succeeds({command, "--help"}).out, ::testing::Not(HasSubstr("Exit status")));
  }
}

// The installed completion script offers the commands and options the tool has.
TEST(CliUsage, BashCompletionOffersCommandsAndOptions) {
  const ScratchDir dir;
  const auto complete = [&](const std::string& words, int index) {
    const std::string script =
        "shopt -s extglob; PATH=" + std::filesystem::path(TRAVIMO_CLI_PATH).parent_path().string() +
        ":$PATH; source " TRAVIMO_SOURCE_DIR "/packaging/travimo.bash-completion; COMP_WORDS=(" +
        words + "); COMP_CWORD=" + std::to_string(index) + "; _travimo; echo \"${COMPREPLY[*]}\"";
    EXPECT_EQ(std::system(("bash -c '" + script + "' > " + dir / "c").c_str()), 0);
    const std::string out = ContentOf(dir / "c");
    return " " + out.substr(0, out.find('\n')) + " ";
  };
  ExpectHas(complete("travimo \"\"", 1), {" read ", " demo ", " parse ", " ports ", " --help "});
  EXPECT_EQ(complete("travimo demo --la", 2), " --layout ");
  EXPECT_EQ(complete("travimo demo --layout w", 3), " wide ");
}

// "-" is standard input and output.
TEST(CliUsage, DashIsStandardInputAndOutput) {
  const std::string raw = TRAVIMO_SOURCE_DIR "/examples/ostrel-3-measurements.dat";
  const CliRun piped = Succeeds({"parse", "-", "--format", "json", "-o", "-"}, {.input = raw});
  EXPECT_EQ(piped.out, RunCli({"parse", raw, "--format", "json"}).out);
  EXPECT_FALSE(std::filesystem::exists("-"));
}

struct Sample {
  std::string name;  // the instrument as the tool prints it
  std::string text;
  std::vector<std::string> options;
  std::string delimiter;  // as --delimiter takes it
  size_t records;
  size_t points;                 // of the first record's ScanData
  std::vector<float> firstScan;  // its first values
  int32_t lower;
  std::string quantity;
  std::string unit;
  json settings;                          // what the metadata says shaped the parse
  std::vector<std::string> headerFields;  // CSV columns beyond the identifying ones
};

json LorvexSettings(const char* dataType, const char* units, const char* points) {
  return {{"ScanDataType", dataType}, {"Temp_Units", units}, {"NumberOfPoints", points},
          {"BlueLineTrigger", "BlueLineAuto"}, {"ArrayStart", "1"}};
}

std::vector<Sample> Samples() {
  auto scans = sim::SampleLorvexScans(3, 0, 512);
  scans[1].typeLetter = 'C';
  sim::OstrelMeasurement ostrel;
  ostrel.calibrationConstantA = "A1234";
  ostrel.measurementNumber = 4;
  ostrel.scans = {{"0101", "0202", "12.5"}, {"0303"}};
  auto brevane = sim::SampleBrevaneMeasurements(2, 10);
  brevane[0].idCode = "Line 3; \"north\", B";  // quoted whatever the delimiter
  // clang-format off
  return {
      {"Lorvex", sim::EncodeLorvexTransfer(scans), {}, ",", 3, 512,
       std::vector<float>(scans[0].values.begin(), scans[0].values.end()), 1, "moisture", "",
       LorvexSettings("Moisture", "Celsius", "Max 512"), {}},
      // 25.0 C is 77 F.
      {"Lorvex", sim::EncodeLorvexTransfer({{'A', {250, 251, 240}}, {'C', {260}}}),
       {"--data", "temperature", "--units", "fahrenheit"}, ";", 2, 512, {77.0f}, 1,
       "temperature", "\u00B0F", LorvexSettings("Temperature", "Fahrenheit", "Max 512"), {}},
      // 256 points average pairs.
      {"Lorvex", sim::EncodeLorvexTransfer({{'A', {250, 250, 240, 260}}}), {"--points", "256"},
       "tab", 1, 256, {250.0f, 250.0f}, 1, "moisture", "",
       LorvexSettings("Moisture", "Celsius", "Max 256"), {}},
      {"Ostrel", sim::EncodeOstrel({ostrel}), {}, "|", 2, 3, {101, 202, 12.5f}, 1, "ScanData", "",
       json::object(),
       {"CalibrationConstantA", "CalibrationConstantB", "BasisWeightValue", "SamplingRate"}},
      {"Brevane", sim::EncodeBrevane(brevane), {}, ",", 2, 10, brevane[0].moisture, 0,
       "moisture", brevane[0].moistureUnit, json::object(),
       {"TypeOfMeasuringHead", "BasisWeightUnit", "GradeNo", "MoistureUnit", "TemperatureUnit"}},
  };
  // clang-format on
}

// Column index by header name; the header is row 0.
size_t Col(const json& rows, const std::string& name) {
  const auto it = std::find(rows[0].begin(), rows[0].end(), name);
  EXPECT_NE(it, rows[0].end()) << "no column " << name;
  return static_cast<size_t>(it - rows[0].begin());
}

// JSON and the table hold every record with its series and what shaped it.
// CSV long: a row per point, carrying quantity, unit and the record's header
// fields. Wide: a column per record under a block of its header fields. The
// plot's format follows its extension.
TEST(CliExport, EveryFormatHoldsEveryRecord) {
  const ScratchDir dir;
  const auto parse = [&](const Sample& s, const std::vector<std::string>& extra) {
    std::vector<std::string> args = {"parse", dir / "sample.dat"};
    args.insert(args.end(), s.options.begin(), s.options.end());
    args.insert(args.end(), extra.begin(), extra.end());
    return Succeeds(args);
  };
  const struct {
    std::string file;
    std::string kind;
    json expected;
  } plots[] = {
      {"p.png", "png", {{"width", 640}, {"height", 400}}},
      {"p.PDF", "pdf", {{"magic", "%PDF-"}, {"pages", 1}, {"width", 640}}},
      {"p.svg", "svg", {{"tag", "{http://www.w3.org/2000/svg}svg"}, {"width", "640pt"}}},
  };
  const std::vector<Sample> samples = Samples();
  for (size_t n = 0; n < samples.size(); ++n) {
    const Sample& s = samples[n];
    const auto& plot = plots[n % std::size(plots)];
    SCOPED_TRACE(s.name + " " + ::testing::PrintToString(s.options) + " delimited by " +
                 s.delimiter + ", plotted as " + plot.file);
    WriteBytes(dir / "sample.dat", s.text);
    const CliRun run =
        parse(s, {"--format", "json", "--plot", dir / plot.file, "--plot-size", "640x400"});
    const json found = ReadBack(plot.kind, dir / plot.file);
    for (const auto& [key, value] : plot.expected.items()) EXPECT_EQ(found[key], value) << key;
    const json doc = json::parse(run.out);
    EXPECT_EQ(doc["instrument"], s.name);
    EXPECT_EQ(doc["count"], s.records);
    ASSERT_EQ(doc["records"].size(), s.records);
    const json& series = doc["records"][0]["ScanData"];
    EXPECT_EQ(series["lower"], s.lower);
    EXPECT_EQ(series.value("unit", ""), s.unit);
    ASSERT_EQ(series["values"].size(), s.points);
    for (size_t i = 0; i < s.firstScan.size(); ++i) {
      EXPECT_FLOAT_EQ(series["values"][i].get<float>(), s.firstScan[i]) << i;
    }
    if (s.name == "Lorvex" && s.records > 1) {  // type letters are kept per scan
      EXPECT_EQ(doc["records"][0]["TypeLetter"], "A");
      EXPECT_EQ(doc["records"][1]["TypeLetter"], "C");
    }
    json meta = {{"program", "travimo"}, {"version", TRAVIMO_VERSION_STRING},
                 {"instrument", s.name},     {"quantity", s.quantity},
                 {"settings", s.settings},   {"series", doc["metadata"]["series"]}};
    if (!s.unit.empty()) meta["unit"] = s.unit;
    EXPECT_EQ(doc["metadata"], meta);  // nor a device: a parse read none

    const std::string table = parse(s, {}).out;
    EXPECT_EQ(table.rfind(s.name + ": " + std::to_string(s.records) + " record", 0), 0u) << table;
    for (size_t r = 1; r <= s.records; ++r) {
      EXPECT_THAT(table, HasSubstr("Scan " + std::to_string(r) + "\n"));
    }

    const std::string out = dir / "long.csv";
    EXPECT_EQ(parse(s, {"--format", "csv", "--delimiter", s.delimiter, "-o", out}).out, "");
    json rows = ReadBack("csv", out, s.delimiter == "tab" ? "\t" : s.delimiter);
    ASSERT_TRUE(rows.is_array() && rows.size() > 1) << ContentOf(out);
    for (const auto& field : s.headerFields) Col(rows, field);
    const size_t record = Col(rows, "record"), named = Col(rows, "series");
    std::vector<float> first;
    for (size_t r = 1; r < rows.size(); ++r) {
      ASSERT_EQ(rows[r].size(), rows[0].size()) << "row " << r;
      EXPECT_EQ(rows[r][0], s.name);
      if (rows[r][record] == "1" && rows[r][named] == "ScanData")
        first.push_back(std::stof(rows[r][Col(rows, "value")].get<std::string>()));
    }
    ASSERT_EQ(first.size(), s.points);
    for (size_t i = 0; i < s.firstScan.size(); ++i) EXPECT_FLOAT_EQ(first[i], s.firstScan[i]);
    EXPECT_EQ(rows[1][Col(rows, "quantity")], s.quantity);
    EXPECT_EQ(rows[1][Col(rows, "unit")], s.unit);
    if (s.name == "Brevane") {
      EXPECT_EQ(rows[1][Col(rows, "id_code")], "Line 3; \"north\", B");
    }

    // --layout alone asks for CSV.
    parse(s, {"--layout", "wide", "-o", out});
    rows = ReadBack("csv", out);
    std::map<std::string, json> block;  // by label, up to the first point's row
    size_t data = 0;
    for (; data < rows.size() && !std::isdigit(rows[data][0].get<std::string>()[0]); ++data)
      block[rows[data][0]] = rows[data];
    for (const char* label : {"instrument", "record", "quantity", "unit", "date_time", "id_code"})
      EXPECT_EQ(block[label].size(), s.records + 1) << label;
    EXPECT_EQ(block["instrument"][1], s.name);
    EXPECT_EQ(block["quantity"][1], s.quantity);
    EXPECT_EQ(block["unit"][s.records], s.unit);
    ASSERT_EQ(rows.size() - data, s.points);
    EXPECT_FLOAT_EQ(std::stof(rows[data][1].get<std::string>()), s.firstScan[0]);
    for (size_t r = data; r < rows.size(); ++r) ASSERT_EQ(rows[r].size(), s.records + 1);
  }
}

}  // namespace
}  // namespace travimo::testing
