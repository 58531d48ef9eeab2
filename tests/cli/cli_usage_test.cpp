// What every run ends with: a fault's status and a message naming it, never a
// crash; help, version and the informational commands; standard input and
// output, also when they fail.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>

#include "cli/cli_runner.h"

namespace travimo::testing {
namespace {

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

}  // namespace
}  // namespace travimo::testing
