// Writes the seed corpora: transfers from the simulator's encoders, settings
// texts, numbers and dates, and property files a control saved after reads.
//   travimo_fuzz_seeds <corpus directory>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <travimo/control/travimo.h>
#include <travimo/platform/posix/json_property_bag.h>
#include "sim/simulator.h"
#include "support/memory_file_system.h"
#include "support/recording_container.h"
#include "support/scripted_serial.h"
#include "support/virtual_host.h"

namespace {

using namespace travimo;
namespace fs = std::filesystem;

class Corpus {
 public:
  explicit Corpus(fs::path root) : root_(std::move(root)) {}

  void Add(const std::string& target, const std::string& name, const std::string& bytes) {
    const fs::path dir = root_ / target;
    fs::create_directories(dir);
    std::ofstream(dir / name, std::ios::binary) << bytes;
  }
  // The same input once plain and once behind an option byte.
  void AddWithOptions(const std::string& target, const std::string& name, const std::string& bytes,
                      unsigned char options) {
    Add(target, name, bytes);
    Add(target, name + "-o" + std::to_string(options),
        std::string(1, static_cast<char>(0x80 | options)) + bytes);
  }

 private:
  fs::path root_;
};

std::vector<std::pair<std::string, std::string>> Transfers() {
  using sim::Mode;
  std::vector<std::pair<std::string, std::string>> out;
  sim::LorvexEncodeOptions cut;
  cut.endMarker = false;
  cut.padData = false;
  out.emplace_back("lorvex-2x16", sim::EncodeLorvexTransfer(sim::SampleLorvexScans(2, 0, 16)));
  out.emplace_back("lorvex-burst", sim::EncodeLorvexTransfer(sim::SampleLorvexScans(1, 2, 8)));
  out.emplace_back("lorvex-unpadded",
                   sim::EncodeLorvexTransfer(sim::SampleLorvexScans(3, 1, 4), cut));

  sim::OstrelEncodeOptions lines;
  lines.lineBreakEvery = 20;
  lines.headerEndsScan = false;
  sim::OstrelEncodeOptions noisy;
  noisy.noiseSeed = 7;
  noisy.endMark = 'M';
  out.emplace_back("ostrel-2x8", sim::EncodeOstrel(sim::SampleOstrelMeasurements(2, 8)));
  out.emplace_back("ostrel-lines", sim::EncodeOstrel(sim::SampleOstrelMeasurements(2, 6), lines));
  out.emplace_back("ostrel-noise", sim::EncodeOstrel(sim::SampleOstrelMeasurements(3, 4), noisy));

  sim::BrevaneEncodeOptions crOnly;
  crOnly.crLf = false;
  sim::BrevaneEncodeOptions open;
  open.writeEnd = false;
  open.writeMLine = false;
  out.emplace_back("brevane-2x6", sim::EncodeBrevane(sim::SampleBrevaneMeasurements(2, 6)));
  out.emplace_back("brevane-cr", sim::EncodeBrevane(sim::SampleBrevaneMeasurements(1, 4), crOnly));
  out.emplace_back("brevane-open", sim::EncodeBrevane(sim::SampleBrevaneMeasurements(2, 3), open));
  return out;
}

// A property file as a control saves it after decoding text.
std::string SavedProperties(const std::string& text) {
  testing::RecordingContainer container;
  testing::VirtualHost host;
  testing::ScriptedSerial serial(host);
  testing::MemoryFileSystem files;
  Travimo control(ControlSite{container, host, files, serial});
  control.InitProperties();
  if (!text.empty()) control.DecodeTransfer(text);
  JsonPropertyBag bag;
  control.WriteProperties(bag);
  return bag.ToText();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <corpus directory>\n", argv[0]);
    return 2;
  }
  Corpus corpus(argv[1]);
  for (const auto& [name, text] : Transfers()) {
    const std::string kind = name.substr(0, name.find('-'));
    corpus.AddWithOptions(kind, name, text, 0x01 | 0x20);
    corpus.Add("dispatch", name, text);
    corpus.Add("property_bag", name + ".json", SavedProperties(text));
  }
  corpus.Add("property_bag", "defaults.json", SavedProperties(""));
  corpus.Add("property_bag", "empty.json", "{}\n");

  const char* settings[] = {"9600,n,8,1",        "19200,e,7,2", "110,o,5,1.5",
                            "1200,m,6,1",        "300,s,4,2",   "",
                            " 9600 , N , 8 , 1 "};
  int n = 0;
  for (const char* text : settings) corpus.Add("line_settings", "s" + std::to_string(n++), text);

  const char* values[] = {"12.5",
                          "-0.25E+3",
                          "&H1F",
                          "&O17",
                          "1D3",
                          " - 1 2 . 5e2",
                          "1,234.5",
                          "3.4028235E+38",
                          "03/15/2024 10:30:00",
                          "15.03.2024",
                          "10:30 PM",
                          "2024-03-15 23:59:59",
                          "Mar 15, 2024",
                          "31/12/99 12:00:00 AM"};
  n = 0;
  for (const char* text : values) {
    corpus.AddWithOptions("conversions", "v" + std::to_string(n++), text, 0x40);
  }
  return 0;
}
