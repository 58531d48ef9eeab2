// Exports read back as their users read them: CSV and JSON through Python's
// csv and json modules, plots opened and measured.
#include <gtest/gtest.h>

#include <cstdio>
#include <nlohmann/json.hpp>

#include "cli/cli_runner.h"
#include "sim/brevane_encoder.h"
#include "sim/lorvex_encoder.h"
#include "sim/ostrel_encoder.h"
#include "sim/simulator.h"

namespace travimo::testing {
namespace {

using nlohmann::json;

// What read_export.py found in the file; null when Python failed.
json ReadBack(const std::string& kind, const std::string& path, const std::string& extra = "") {
  const std::string command = "/usr/bin/python3 " TRAVIMO_SOURCE_DIR "/tests/cli/read_export.py " +
                              kind + " '" + path + "' '" + extra + "'";
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return nullptr;
  std::string text;
  char buffer[4096];
  for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) text.append(buffer, n);
  if (pclose(pipe) != 0) return nullptr;
  return json::parse(text, nullptr, false);
}

// Column index by header name; the header is row 0.
size_t Col(const json& rows, const std::string& name) {
  const auto& header = rows[0];
  for (size_t i = 0; i < header.size(); ++i) {
    if (header[i] == name) return i;
  }
  ADD_FAILURE() << "no column " << name;
  return 0;
}

struct Sample {
  std::string name;
  std::string text;
  std::vector<std::string> settings;
  std::string quantity;
  std::string unit;
  std::vector<std::string> headerFields;  // columns beyond the identifying ones
  float firstValue;
};

std::vector<Sample> Samples() {
  sim::OstrelMeasurement ostrel;
  ostrel.calibrationConstantA = "A1234";
  ostrel.measurementNumber = 4;
  ostrel.scans = {{"0101", "0202", "12.5"}, {"0303"}};
  auto brevane = sim::SampleBrevaneMeasurements(2, 10);
  brevane[0].idCode = "Line 3; \"north\", B";  // quoted whatever the delimiter
  return {
      {"Lorvex",
       sim::EncodeLorvexTransfer({{'A', {250, 251, 240}}, {'C', {260}}}),
       {"--data", "temperature", "--units", "fahrenheit"},
       "temperature",
       "\u00B0F",
       {},
       77.0f},
      {"Ostrel",
       sim::EncodeOstrel({ostrel}),
       {},
       "ScanData",
       "",
       {"CalibrationConstantA", "CalibrationConstantB", "BasisWeightValue", "SamplingRate"},
       101.0f},
      {"Brevane",
       sim::EncodeBrevane(brevane),
       {},
       "moisture",
       brevane[0].moistureUnit,
       {"TypeOfMeasuringHead", "BasisWeightUnit", "GradeNo", "MoistureUnit", "TemperatureUnit"},
       brevane[0].moisture[0]},
  };
}

class CliExport : public ::testing::Test {
 protected:
  CliRun Parse(const Sample& s, std::vector<std::string> extra) {
    const std::string raw = dir_.File(s.name + ".dat");
    WriteBytes(raw, s.text);
    std::vector<std::string> args = {"parse", raw};
    args.insert(args.end(), s.settings.begin(), s.settings.end());
    args.insert(args.end(), extra.begin(), extra.end());
    return RunCli(args);
  }
  TempDir dir_;
};

TEST_F(CliExport, LongCsvCarriesQuantityUnitAndHeaderFields) {
  for (const auto& s : Samples()) {
    for (const std::string delimiter : {",", ";", "\t"}) {
      SCOPED_TRACE(s.name + " delimited by '" + delimiter + "'");
      const std::string out = dir_.File("long.csv");
      const CliRun run = Parse(s, {"--format", "csv", "--delimiter",
                                   delimiter == "\t" ? "tab" : delimiter, "-o", out});
      ASSERT_EQ(run.status, 0) << run.err;
      const json rows = ReadBack("csv", out, delimiter);
      ASSERT_TRUE(rows.is_array() && rows.size() > 1) << ReadBytes(out);
      for (const auto& field : s.headerFields) Col(rows, field);
      for (size_t r = 1; r < rows.size(); ++r) {
        ASSERT_EQ(rows[r].size(), rows[0].size()) << "row " << r;
        EXPECT_EQ(rows[r][0], s.name);
      }
      EXPECT_EQ(rows[1][Col(rows, "quantity")], s.quantity);
      EXPECT_EQ(rows[1][Col(rows, "unit")], s.unit);
      EXPECT_FLOAT_EQ(std::stof(rows[1][Col(rows, "value")].get<std::string>()), s.firstValue);
      if (s.name == "Brevane") {
        EXPECT_EQ(rows[1][Col(rows, "id_code")], "Line 3; \"north\", B");
      }
    }
  }
}

TEST_F(CliExport, WideCsvHasOneColumnPerScanUnderItsHeaderBlock) {
  for (const auto& s : Samples()) {
    SCOPED_TRACE(s.name);
    const std::string out = dir_.File("wide.csv");
    // --layout alone asks for CSV.
    const CliRun run = Parse(s, {"--layout", "wide", "-o", out});
    ASSERT_EQ(run.status, 0) << run.err;
    const json rows = ReadBack("csv", out, ",");
    ASSERT_TRUE(rows.is_array() && rows.size() > 6) << ReadBytes(out);
    std::map<std::string, json> block;
    size_t firstData = 0;
    for (size_t r = 0; r < rows.size() && firstData == 0; ++r) {
      const std::string label = rows[r][0];
      if (!label.empty() && std::isdigit(static_cast<unsigned char>(label[0]))) {
        firstData = r;
      } else {
        block[label] = rows[r];
      }
    }
    for (const char* label : {"instrument", "record", "quantity", "unit", "date_time", "id_code"}) {
      ASSERT_TRUE(block.count(label)) << label;
    }
    const size_t columns = block["record"].size() - 1;
    EXPECT_EQ(columns, 2u);  // every sample holds two scans or measurements
    EXPECT_EQ(block["instrument"][1], s.name);
    EXPECT_EQ(block["quantity"][1], s.quantity);
    EXPECT_EQ(block["unit"][2], s.unit);
    EXPECT_FLOAT_EQ(std::stof(rows[firstData][1].get<std::string>()), s.firstValue);
    for (size_t r = firstData; r < rows.size(); ++r) ASSERT_EQ(rows[r].size(), columns + 1);
  }
}

TEST_F(CliExport, JsonMetadataSaysWhatShapedTheRead) {
  const Sample lorvex = Samples()[0];
  const std::string out = dir_.File("parse.json");
  ASSERT_EQ(Parse(lorvex, {"--format", "json", "-o", out}).status, 0);
  json doc = ReadBack("json", out);
  ASSERT_TRUE(doc.is_object());
  json meta = doc["metadata"];
  EXPECT_EQ(meta["program"], "travimo");
  EXPECT_EQ(meta["version"], TRAVIMO_VERSION_STRING);
  EXPECT_EQ(meta["instrument"], "Lorvex");
  EXPECT_EQ(meta["quantity"], "temperature");
  EXPECT_EQ(meta["unit"], "\u00B0F");
  EXPECT_EQ(meta["settings"]["Temp_Units"], "Fahrenheit");
  EXPECT_EQ(meta["settings"]["ScanDataType"], "Temperature");
  EXPECT_FALSE(meta.contains("device"));  // a parse read no device
  EXPECT_EQ(doc["records"][0]["ScanData"]["unit"], "\u00B0F");

  const CliRun demo = RunCli({"demo", "--scans", "1", "--type", "brevane", "--format", "json",
                              "--no-archive", "-o", out});
  ASSERT_EQ(demo.status, 0) << demo.err;
  doc = ReadBack("json", out);
  meta = doc["metadata"];
  EXPECT_EQ(meta["device"].get<std::string>().rfind("/dev/", 0), 0u) << meta;
  EXPECT_EQ(meta["readTime"].get<std::string>().size(), 24u) << meta;
  EXPECT_EQ(meta["quantity"], "moisture");
  EXPECT_TRUE(meta["settings"].empty());
}

TEST_F(CliExport, PlotFormatFollowsTheExtension) {
  struct Case {
    std::string file;
    std::string kind;
  };
  const Sample brevane = Samples()[2];
  for (const Case& c : {Case{"p.png", "png"}, Case{"p.PDF", "pdf"}, Case{"p.svg", "svg"}}) {
    SCOPED_TRACE(c.file);
    const std::string plot = dir_.File(c.file);
    const CliRun run = Parse(brevane, {"--plot", plot, "--plot-size", "640x400"});
    ASSERT_EQ(run.status, 0) << run.err;
    const json found = ReadBack(c.kind, plot);
    ASSERT_TRUE(found.is_object()) << c.file;
    if (c.kind == "png") {
      EXPECT_EQ(found["width"], 640);
      EXPECT_EQ(found["height"], 400);
    } else if (c.kind == "pdf") {
      EXPECT_EQ(found["magic"], "%PDF-");
      EXPECT_EQ(found["pages"], 1);
      EXPECT_EQ(found["width"], 640);
    } else {
      EXPECT_EQ(found["tag"], "{http://www.w3.org/2000/svg}svg");
      EXPECT_EQ(found["width"], "640pt");
    }
  }
}

TEST_F(CliExport, BadExportOptionsAreUsageErrors) {
  const Sample lorvex = Samples()[0];
  const std::vector<std::vector<std::string>> cases = {
      {"--plot", dir_.File("plot.png.txt")},
      {"--plot", dir_.File("plot")},
      {"--plot", dir_.File("p.svg"), "--plot-size", "10x10"},
      {"--plot", dir_.File("p.svg"), "--plot-size", "wide"},
      {"--format", "json", "--layout", "wide"},
      {"--delimiter", "::"},
      {"--delimiter", "\""},
      {"--layout", "tall"},
  };
  for (const auto& extra : cases) {
    SCOPED_TRACE(extra[0] + " " + extra[1]);
    const CliRun run = Parse(lorvex, extra);
    EXPECT_EQ(run.status, 2) << run.err;
    EXPECT_TRUE(run.out.empty());
  }
  EXPECT_NE(Parse(lorvex, cases[0]).err.find(".svg, .png or .pdf"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(dir_.File("plot.png.txt")));
}

}  // namespace
}  // namespace travimo::testing
