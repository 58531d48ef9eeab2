#include "cli/app.h"

#include <CLI/CLI.hpp>
#include <cstdio>
#include <map>

#include "cli/commands.h"
#include "cli/exit_status.h"
#include "control/about_page.h"
#include <travimo/model/enums.h>
#include <travimo/model/error.h>
#include <travimo/platform/line_settings.h>
#include "sim/tcp_bridge.h"

namespace travimo::cli {

namespace {

using NameMap = std::map<std::string, int32_t>;

const NameMap kTypes = {{"lorvex", Lorvex}, {"brevane", Brevane}, {"ostrel", Ostrel}};
const NameMap kDataTypes = {{"moisture", Moisture}, {"temperature", Temperature}, {"burst", Burst}};
const NameMap kPoints = {{"512", Max512}, {"256", Max256}, {"nolimit", NoLimit}};
const NameMap kUnits = {{"celsius", Celsius}, {"fahrenheit", Fahrenheit}};
const NameMap kBlueLine = {{"off", BlueLineOff}, {"on", BlueLineOn}, {"auto", BlueLineAuto}};
const std::map<std::string, OutputFormat> kFormats = {
    {"table", OutputFormat::Table}, {"csv", OutputFormat::Csv}, {"json", OutputFormat::Json}};
const std::map<std::string, TransferKind> kKinds = {{"lorvex", TransferKind::Lorvex},
                                                    {"brevane", TransferKind::Brevane},
                                                    {"ostrel", TransferKind::Ostrel}};

// An option whose value is one of the names; the value lands in target only when given.
template <class Value>
CLI::Option* AddChoice(CLI::App& app, const std::string& name, std::optional<Value>& target,
                       const std::map<std::string, Value>& names, const std::string& help) {
  auto* option = app.add_option_function<std::string>(
      name, [&target, &names](const std::string& text) { target = names.at(text); }, help);
  option->transform(CLI::IsMember(names, CLI::ignore_case));
  return option;
}

// Settings a Lorvex parse depends on; shared by read, demo and parse.
void AddParseSettings(CLI::App& app, ControlSettings& settings) {
  AddChoice(app, "--data", settings.dataType, kDataTypes,
            "Lorvex data to ask for and how to scale it: moisture, temperature or burst");
  AddChoice(app, "--points", settings.points, kPoints, "Points per scan: 512, 256 or nolimit");
  AddChoice(app, "--units", settings.units, kUnits,
            "Temperature units for a Lorvex temperature read: celsius or fahrenheit");
  AddChoice(app, "--blue-line", settings.blueLine, kBlueLine,
            "Blue-line check of Lorvex scans: off, on or auto");
}

// A check that turns a function's complaint into a usage error.
// Nameless, so that help shows the option's type name alone.
template <class Parse>
CLI::Validator Checked(Parse parse) {
  return CLI::Validator([parse](std::string& text) { return parse(text); }, "");
}

std::string CheckPlotFile(const std::string& path) {
#ifdef TRAVIMO_NO_PLOTS
  (void)path;
  return "plots are not available in this build (it has no drawing library)";
#else
  if (exports::PlotFormatFromPath(path)) return {};
  return "cannot tell the plot's format from " + path + ": end its name in .svg, .png or .pdf";
#endif
}

std::string CheckPlotSize(const std::string& text, exports::PlotOptions* plot) {
  int width = 0, height = 0;
  char x = 0, rest = 0;
  const int n = std::sscanf(text.c_str(), "%d%c%d%c", &width, &x, &height, &rest);
  constexpr int low = exports::PlotOptions::kMinSide, high = exports::PlotOptions::kMaxSide;
  if (n != 3 || (x != 'x' && x != 'X') || width < low || width > high || height < low ||
      height > high) {
    return "give the plot's size as WIDTHxHEIGHT, each from " + std::to_string(low) + " to " +
           std::to_string(high);
  }
  if (plot) {
    plot->width = width;
    plot->height = height;
  }
  return {};
}

void AddOutputOptions(CLI::App& app, OutputOptions& output) {
  auto* format =
      app.add_option_function<std::string>(
             "--format", [&output](const std::string& text) { output.format = kFormats.at(text); },
             "Output format: table (default), csv or json")
          ->transform(CLI::IsMember(kFormats, CLI::ignore_case));
  app.add_option("--output,-o", output.outputFile,
                 "Write the results to FILE instead of standard output (- for standard output)")
      ->type_name("FILE");
  auto* layout =
      app.add_option_function<std::string>(
             "--layout",
             [&output](const std::string& text) { output.csv.layout = *exports::LayoutFromName(text); },
             "CSV layout: long (default; one row per point) or wide (one column per scan, for "
             "spreadsheets)")
          ->check(CLI::IsMember({"long", "wide"}));
  auto* delimiter =
      app.add_option_function<std::string>(
             "--delimiter",
             [&output](const std::string& text) { output.csv.delimiter = *exports::DelimiterFromText(text); },
             "CSV field delimiter: , (default), ; | or tab")
          ->type_name("CHAR")
          ->check(Checked(
              [](const std::string& text) -> std::string {
                return exports::DelimiterFromText(text) ? "" : "the delimiter is one of , ; | tab";
              }));
  app.add_option_function<std::string>(
         "--plot",
         [&output](const std::string& path) {
           output.plotFile = path;
           output.plot.format = exports::PlotFormatFromPath(path).value_or(exports::PlotFormat::Svg);
         },
         "Also draw the scans as a line plot in FILE: .svg, .png or .pdf")
      ->type_name("FILE")
      ->check(Checked(CheckPlotFile));
  app.add_option_function<std::string>(
         "--plot-size", [&output](const std::string& text) { CheckPlotSize(text, &output.plot); },
         "The plot's size, WIDTHxHEIGHT in pixels (PNG) or points (SVG, PDF); default 900x500")
      ->type_name("WxH")
      ->check(Checked([](const std::string& text) { return CheckPlotSize(text, nullptr); }));
  // CSV options alone ask for CSV; with another format they are a mistake.
  app.parse_complete_callback([&output, format, layout, delimiter] {
    if (layout->count() == 0 && delimiter->count() == 0) return;
    if (format->count() == 0) {
      output.format = OutputFormat::Csv;
    } else if (output.format != OutputFormat::Csv) {
      throw CLI::ValidationError("--layout, --delimiter", "they apply to --format csv only");
    }
  });
}

void AddLineSettings(CLI::App& app, ControlSettings& settings) {
  app.add_option_function<std::string>(
         "--settings", [&settings](const std::string& text) { settings.settings = text; },
         "Line settings baud,parity,data,stop (default 9600,n,8,1)")
      ->check(
          [](const std::string& text) -> std::string {
            try {
              ParseLineSettings(text);
              return {};
            } catch (const RuntimeError& error) {
              return error.Description();
            }
          },
          "SETTINGS");
}

void AddTrace(CLI::App& app, std::string& trace, const std::string& help) {
  app.add_option("--trace", trace, help)->type_name("FILE");
}

// "" stands for the control's default name, as OutPutFileName has it.
void AddRawFile(CLI::App& app, ControlSettings& settings) {
  app.add_option_function<std::string>(
         "--raw", [&settings](const std::string& name) { settings.rawFile = name; },
         "Save the received bytes to FILE (\"\" for RawData.dat) and the read's settings to "
         "FILE.json")
      ->type_name("FILE");
}

// The instrument the simulator plays and what it holds.
void AddSimulatedInstrument(CLI::App& app, std::optional<int32_t>& type, int& scans,
                            const std::string& scansHelp) {
  AddChoice(app, "--type", type, kTypes,
            "Simulated instrument: lorvex (default), brevane or ostrel");
  app.add_option("--scans", scans, scansHelp)->check(CLI::Range(1, 100));
}

#ifndef TRAVIMO_NO_ARCHIVE
// --archive everywhere the archive is used; --no-archive where a read makes an entry.
CLI::Option* AddArchivePath(CLI::App& app, ArchiveOptions& archive) {
  return app
      .add_option("--archive", archive.path,
                  "The archive file (default $XDG_DATA_HOME/travimo/archive.sqlite)")
      ->type_name("PATH");
}

void AddArchiveOptions(CLI::App& app, ArchiveOptions& archive) {
  auto* path = AddArchivePath(app, archive);
  app.add_flag("--no-archive", archive.off, "Do not keep this read in the archive")
      ->excludes(path);
}

// A date option checked while parsing, so a bad one is a usage error.
void AddDate(CLI::App& app, const std::string& name, std::optional<int64_t>& target,
             const std::string& help) {
  app.add_option_function<std::string>(
         name, [&target](const std::string& text) { target = ParseUtcMs(text); }, help)
      ->type_name("DATE")
      ->check(
          [](const std::string& text) -> std::string {
            try {
              ParseUtcMs(text);
              return {};
            } catch (const RuntimeError& error) {
              return error.Description();
            }
          },
          "DATE");
}
#endif

void AddPorts(CLI::App& app, PortsCommand& c) {
  auto* ports = app.add_subcommand(
      "ports", "List serial devices: path, by-id link, driver, USB ids, serial number, CommPort");
  ports->add_flag("-v,--verbose", c.verbose, "Show every property the system reports");
  ports->add_option_function<std::string>(
           "--format", [&c](const std::string& text) { c.json = text == "json"; },
           "table (the default) or json")
      ->check(CLI::IsMember({"table", "json"}));
}

struct Commands {
#ifndef TRAVIMO_NO_ARCHIVE
  HistoryCommand history;
  ShowCommand show;
  ReparseCommand reparse;
  ExportCommand exportReads;
  ImportCommand import;
  ArchiveOptions archive;
#endif
  ReadCommand read;
  DemoCommand demo;
  SimulateCommand simulate;
  ParseCommand parse;
  PortsCommand ports;
  std::optional<int32_t> demoType;
  std::optional<int32_t> simulateType;
};

CLI::App* AddRead(CLI::App& app, Commands& commands) {
  auto* read = app.add_subcommand("read", "Read the stored measurements of a connected instrument");
  ReadCommand& c = commands.read;
  auto* port = read->add_option_function<int16_t>(
      "--port", [&c](int16_t n) { c.settings.port = n; },
      "CommPort number (port N is /dev/ttyS{N-1})");
  port->check(CLI::Range(1, 32767));
  read->add_option("--device", c.device,
                   "Serial device to read from: a path such as /dev/ttyUSB0, a USB adapter "
                   "as usb:VID:PID[:SERIAL] or serial-number:TEXT (see travimo ports), or a "
                   "device server's port as socket://HOST:PORT or rfc2217://HOST:PORT")
      ->type_name("DEVICE")
      ->check(Checked(
          [](const std::string& text) -> std::string {
            return text.empty() ? "name a device, such as /dev/ttyUSB0, not an empty text" : "";
          }))
      ->excludes(port);
  AddChoice(*read, "--type", c.settings.type, kTypes, "Instrument: lorvex, brevane or ostrel");
  AddParseSettings(*read, c.settings);
  AddLineSettings(*read, c.settings);
  AddRawFile(*read, c.settings);
  read->add_option("--props", c.propsFile,
                   "JSON property file: loaded before the read (if it exists), saved after")
      ->type_name("FILE");
  AddTrace(*read, c.trace, "Append a trace of the serial traffic to FILE (- for stderr)");
  AddOutputOptions(*read, c.output);
#ifndef TRAVIMO_NO_ARCHIVE
  AddArchiveOptions(*read, c.archive);
#endif
  return read;
}

CLI::App* AddDemo(CLI::App& app, Commands& commands) {
  auto* demo = app.add_subcommand(
      "demo", "Read from the built-in instrument simulator over a pseudo-terminal (no hardware)");
  DemoCommand& c = commands.demo;
  AddSimulatedInstrument(*demo, commands.demoType, c.scans,
                         "Scans (or measurements) the instrument holds (default 3)");
  AddParseSettings(*demo, c.settings);
  AddTrace(*demo, c.trace, "Append a trace of the serial traffic to FILE (- for stderr)");
  AddRawFile(*demo, c.settings);
  AddOutputOptions(*demo, c.output);
#ifndef TRAVIMO_NO_ARCHIVE
  AddArchiveOptions(*demo, c.archive);
#endif
  return demo;
}

CLI::App* AddSimulate(CLI::App& app, Commands& commands) {
  auto* simulate = app.add_subcommand(
      "simulate", "Run the instrument simulator on a pseudo-terminal until Ctrl-C");
  SimulateCommand& c = commands.simulate;
  AddSimulatedInstrument(*simulate, commands.simulateType, c.scans,
                         "Scans (or measurements) it holds (default 3)");
  simulate->add_option("--link", c.link, "Also make PATH a symbolic link to the device")
      ->type_name("PATH");
  simulate
      ->add_option("--listen", c.listen,
                   "Also serve the device over raw TCP at [HOST:]PORT (host 127.0.0.1 unless "
                   "given; port 0 picks a free one)")
      ->type_name("[HOST:]PORT")
      ->check(
          [](const std::string& text) -> std::string {
            try {
              sim::ParseListenAddress(text);
              return {};
            } catch (const std::invalid_argument& error) {
              return error.what();
            }
          },
          "[HOST:]PORT");
  AddTrace(*simulate, c.trace,
           "Append a trace of the simulator's side of the traffic to FILE (- for stderr)");
  return simulate;
}

CLI::App* AddParse(CLI::App& app, Commands& commands) {
  auto* parse = app.add_subcommand("parse", "Decode a saved raw-data file offline");
  ParseCommand& c = commands.parse;
  parse->add_option("FILE", c.file, "The raw-data file (the bytes a read received); - for standard input")
      ->required()
      ->check(Checked(
          [](const std::string& path) { return path == "-" ? std::string() : CLI::ExistingFile(path); }));
  AddChoice(*parse, "--type", c.force, kKinds,
            "Force this parser instead of choosing it by the text: lorvex, brevane or ostrel");
  AddParseSettings(*parse, c.settings);
  AddOutputOptions(*parse, c.output);
#ifndef TRAVIMO_NO_ARCHIVE
  parse
      ->add_option_function<std::string>(
          "--archive",
          [&c](const std::string& path) {
            c.archive.asked = true;
            c.archive.path = path;
          },
          "Also keep the parse in the archive: PATH, or the default archive without one")
      ->expected(0, 1)
      ->type_name("[PATH]");
#endif
  return parse;
}

#ifndef TRAVIMO_NO_ARCHIVE
void AddArchiveCommands(CLI::App& app, Commands& commands) {
  auto* history = app.add_subcommand("history", "List the archived reads, oldest first");
  HistoryCommand& h = commands.history;
  AddDate(*history, "--since", h.filter.sinceUtcMs, "Only reads made at or after DATE (UTC)");
  AddDate(*history, "--until", h.filter.untilUtcMs, "Only reads made before DATE (UTC)");
  AddChoice(*history, "--type", h.filter.type, kKinds,
            "Only reads of this instrument: lorvex, brevane or ostrel");
  history->add_option_function<std::string>(
      "--id-code", [&h](const std::string& text) { h.filter.idCode = text; },
      "Only reads with a record of this ID code");
  history->add_option_function<std::string>(
      "--device", [&h](const std::string& text) { h.filter.device = text; },
      "Only reads from this device");
  history->add_flag("--failed", h.filter.failedOnly, "Only reads that failed");
  history
      ->add_option_function<std::string>(
          "--format", [&h](const std::string& text) { h.format = kFormats.at(text); },
          "Output format: table (default), csv or json")
      ->transform(CLI::IsMember(kFormats, CLI::ignore_case));
  AddArchivePath(*history, h.archive);

  auto* show = app.add_subcommand("show", "Print the records of an archived read as parse does");
  show->add_option("N", commands.show.id, "The read's number (see history)")
      ->required()
      ->check(CLI::PositiveNumber);
  AddOutputOptions(*show, commands.show.output);
  AddArchivePath(*show, commands.show.archive);

  auto* reparse = app.add_subcommand(
      "reparse", "Decode an archived read's bytes again, with other settings where given");
  ReparseCommand& r = commands.reparse;
  reparse->add_option("N", r.id, "The read's number (see history)")
      ->required()
      ->check(CLI::PositiveNumber);
  AddChoice(*reparse, "--type", r.force, kKinds,
            "Force this parser instead of choosing it by the text: lorvex, brevane or ostrel");
  AddParseSettings(*reparse, r.settings);
  AddOutputOptions(*reparse, r.output);
  reparse->add_flag("--save", r.save,
                    "Keep the result in the archive as a new read that names read N");
  AddArchivePath(*reparse, r.archive);

  auto* exportReads =
      app.add_subcommand("export", "Write several archived reads into one CSV or JSON file");
  ExportCommand& e = commands.exportReads;
  exportReads->add_option("N", e.ids, "The reads' numbers (see history)")
      ->required()
      ->check(CLI::PositiveNumber);
  exportReads->add_option("--output,-o", e.outputFile, "The file to write (default stdout)")
      ->type_name("FILE");
  exportReads
      ->add_option_function<std::string>(
          "--format", [&e](const std::string& text) { e.format = kFormats.at(text); },
          "File format: csv (default) or json")
      ->transform(CLI::IsMember(std::map<std::string, OutputFormat>{{"csv", OutputFormat::Csv},
                                                                    {"json", OutputFormat::Json}},
                                CLI::ignore_case));
  AddArchivePath(*exportReads, e.archive);

  auto* import = app.add_subcommand(
      "import", "Keep raw-data files in the archive, with the read's settings from FILE.json");
  import->add_option("FILE", commands.import.files, "Raw-data files (the bytes a read received)")
      ->required()
      ->check(CLI::ExistingFile);
  AddArchivePath(*import, commands.import.archive);

  auto* archive = app.add_subcommand("archive", "The archive file itself");
  archive->require_subcommand(1);
  AddArchivePath(*archive->add_subcommand("path", "Print where the archive is"),
                 commands.archive);
  AddArchivePath(*archive->add_subcommand(
                     "check", "Check the archive's integrity and every read's stored bytes"),
                 commands.archive);
}
#endif

// A first word that is no command is most likely a typing error: name the commands.
std::optional<std::string> UnknownCommand(CLI::App& app, int argc, const char* const* argv) {
  if (argc < 2 || argv[1][0] == '-') return std::nullopt;
  const std::string word = argv[1];
  std::string names;
  for (const auto* command : app.get_subcommands([](CLI::App*) { return true; })) {
    if (command->get_name() == word) return std::nullopt;
    names += (names.empty() ? "" : ", ") + command->get_name();
  }
  return "travimo: unknown command '" + word + "'; the commands are: " + names +
         "\nRun travimo --help for what each does.\n";
}

int Dispatch(const CLI::App& app, Commands& commands, Console& console) {
#ifndef TRAVIMO_NO_ARCHIVE
  if (app.got_subcommand("history")) return RunHistoryCommand(commands.history, console);
  if (app.got_subcommand("show")) return RunShowCommand(commands.show, console);
  if (app.got_subcommand("reparse")) return RunReparseCommand(commands.reparse, console);
  if (app.got_subcommand("export")) return RunExportCommand(commands.exportReads, console);
  if (app.got_subcommand("import")) return RunImportCommand(commands.import, console);
  if (const auto* archive = app.get_subcommand("archive"); archive->parsed()) {
    if (archive->got_subcommand("path")) return RunArchivePathCommand(commands.archive, console);
    return RunArchiveCheckCommand(commands.archive, console);
  }
#endif
  if (app.got_subcommand("read")) return RunReadCommand(commands.read, console);
  if (app.got_subcommand("demo")) {
    commands.demo.type = commands.demoType.value_or(Lorvex);
    return RunDemoCommand(commands.demo, console);
  }
  if (app.got_subcommand("simulate")) {
    commands.simulate.type = commands.simulateType.value_or(Lorvex);
    return RunSimulateCommand(commands.simulate, console);
  }
  if (app.got_subcommand("parse")) {
    return RunParseCommand(commands.parse, console);
  }
  if (app.got_subcommand("ports")) return RunPortsCommand(commands.ports, console);
  if (app.got_subcommand("describe")) return RunDescribeCommand(console);
  if (app.got_subcommand("about")) return RunAboutCommand(console);
  return ExitStatus::Usage;
}

}  // namespace

int Run(int argc, const char* const* argv, const Streams& streams) {
  CLI::App app{"travimo - retrieve the stored measurements of a Lorvex, Brevane or Ostrel",
               "travimo"};
  app.set_version_flag("--version", VersionLine(kLibraryVersion));
  app.require_subcommand(1);

  Commands commands;
  AddRead(app, commands);
  AddDemo(app, commands);
  AddSimulate(app, commands);
  AddParse(app, commands);
  AddPorts(app, commands.ports);
  app.add_subcommand("describe", "Show the control's members, events and enumerations");
  app.add_subcommand("about", "Show the control's About page");
#ifndef TRAVIMO_NO_ARCHIVE
  AddArchiveCommands(app, commands);
#endif
  // Set after the commands, so that it is shown once, not in each command's help.
  app.footer(ExitStatusHelp());

  if (const auto unknown = UnknownCommand(app, argc, argv)) {
    streams.err << *unknown;
    return ExitStatus::Usage;
  }
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e, streams.out, streams.err);
  } catch (const CLI::CallForAllHelp& e) {
    return app.exit(e, streams.out, streams.err);
  } catch (const CLI::CallForVersion& e) {
    return app.exit(e, streams.out, streams.err);
  } catch (const CLI::ParseError& e) {
    app.exit(e, streams.out, streams.err);
    return ExitStatus::Usage;
  }
  Console console{streams.out, streams.err, streams.errIsTerminal, streams.keyboardFd};
  try {
    return Dispatch(app, commands, console);
  } catch (const RuntimeError& error) {
    streams.err << "travimo: error " << error.Number() << ": " << error.Description() << '\n';
    return StatusForError(error.Number());
  } catch (const std::exception& error) {
    streams.err << "travimo: " << error.what() << '\n';
    return ExitStatus::Other;
  }
}

}  // namespace travimo::cli
