// The raw-data file of a real read survives a write that fails: the target's
// directory missing, a directory where the file should be, or the file size
// limit reached part-way. The read reports the file error naming the file,
// the old content and the previous read's records stay, and no temporary
// file is left beside the target.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <string>

#include <travimo/control/travimo.h>
#include "e2e/pty_rig.h"
#include "support/scripted_serial.h"
#include "support/virtual_host.h"

namespace travimo::testing {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

constexpr char kOldContent[] = "old content that must survive\n";

// Files may grow to `bytes` at most while it lives; writing past that fails
// with EFBIG instead of raising SIGXFSZ.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &saved_);
    previous_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = saved_;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &saved_);
    std::signal(SIGXFSZ, previous_);
  }

 private:
  rlimit saved_{};
  void (*previous_)(int) = SIG_DFL;
};

enum class Spoil { DirectoryMissing, DirectoryInPlace, FileSizeLimit };

std::set<fs::path> Entries(const fs::path& dir) {
  return {fs::directory_iterator(dir), fs::directory_iterator()};
}

class FailedWrite : public ::testing::TestWithParam<Spoil> {};

TEST_P(FailedWrite, KeepsTheOldFileAndTheRecords) {
  const fs::path dir = fs::temp_directory_path() / ("travimo-safety-" + std::to_string(::getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  const fs::path target = GetParam() == Spoil::DirectoryMissing ? dir / "missing" / "t" : dir / "t";
  if (GetParam() == Spoil::DirectoryInPlace) {
    fs::create_directory(target);
    std::ofstream(target / "inside") << kOldContent;
  } else if (GetParam() == Spoil::FileSizeLimit) {
    std::ofstream(target) << kOldContent;
  }
  const std::set<fs::path> before = Entries(dir);
  RecordingContainer container;
  VirtualHost host;
  ScriptedSerial serial(host);
  posix::PosixFileSystem files;
  Travimo control(ControlSite{container, host, files, serial});
  control.InitProperties();
  control.DecodeTransfer(sim::DefaultTransfer({sim::Mode::Lorvex, Moisture, 1, 512, true}));
  control.ScanNumber(1);
  const SingleArray earlier = control.OneScanDataArray();
  serial.SendAfterOpen(0.5, sim::DefaultTransfer({sim::Mode::Lorvex, Moisture, 3, 512, true}));
  control.SaveRawData(true);
  control.OutPutFileName(target.string());
  {
    std::optional<FileSizeLimit> limit;  // only for the read itself
    if (GetParam() == Spoil::FileSizeLimit) limit.emplace(sizeof kOldContent);
    control.ReadTravimo();
  }
  EXPECT_EQ(container.ErrorNumbers(), std::vector<int32_t>{ErrorNumber::PathFileAccess});
  EXPECT_THAT(control.LastErrorDescription(), HasSubstr(target.string()));
  EXPECT_EQ(control.NumberOfScans(), 1);
  control.ScanNumber(1);
  EXPECT_EQ(control.OneScanDataArray(), earlier);
  EXPECT_FALSE(control.MSComm1().PortOpen());
  EXPECT_TRUE(control.fraButton().Enabled());
  EXPECT_EQ(Entries(dir), before) << "a temporary file was left behind";
  const fs::path old = fs::is_directory(target) ? target / "inside" : target;
  EXPECT_EQ(FileText(old), GetParam() == Spoil::DirectoryMissing ? "" : kOldContent);
  fs::remove_all(dir);
}

std::string SpoilName(Spoil spoil) {
  constexpr const char* kNames[] = {"DirectoryMissing", "DirectoryInPlace", "FileSizeLimit"};
  return kNames[static_cast<int>(spoil)];
}

INSTANTIATE_TEST_SUITE_P(SpoiledTarget, FailedWrite,
                         ::testing::Values(Spoil::DirectoryMissing, Spoil::DirectoryInPlace,
                                           Spoil::FileSizeLimit),
                         [](const auto& info) { return SpoilName(info.param); });

}  // namespace
}  // namespace travimo::testing
