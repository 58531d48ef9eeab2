// The raw-data file and the property file survive a write that fails: the
// target's directory missing, a directory where the file should be, or the
// file size limit reached part-way. The old content stays, the error is
// clear, and no temporary file is left beside the target.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <set>
#include <string>

#include "control/travimo.h"
#include "model/enums.h"
#include "model/error.h"
#include "platform/posix/json_property_bag.h"
#include "platform/posix/posix_file_system.h"
#include "sim/simulator.h"
#include "support/recording_container.h"
#include "support/scripted_serial.h"
#include "support/virtual_host.h"

namespace travimo::testing {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

constexpr char kOldContent[] = "old content that must survive\n";

void WriteFile(const fs::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

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

class FailedWrite : public ::testing::TestWithParam<Spoil> {
 protected:
  FailedWrite() {
    std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::replace(name.begin(), name.end(), '/', '-');
    dir_ =
        fs::temp_directory_path() / ("travimo-safety-" + std::to_string(::getpid()) + "-" + name);
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    target_ = GetParam() == Spoil::DirectoryMissing ? dir_ / "missing" / "target" : dir_ / "target";
    if (GetParam() == Spoil::DirectoryInPlace) {
      fs::create_directory(target_);
      WriteFile(target_ / "inside", kOldContent);
    } else if (GetParam() == Spoil::FileSizeLimit) {
      WriteFile(target_, kOldContent);
    }
    before_ = Entries();
  }
  ~FailedWrite() override { fs::remove_all(dir_); }

  // The size limit applies only to the write itself.
  template <class Write>
  void Run(Write write) {
    std::optional<FileSizeLimit> limit;
    if (GetParam() == Spoil::FileSizeLimit) limit.emplace(sizeof kOldContent);
    write(target_);
  }

  std::set<std::string> Entries() const {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_)) names.insert(entry.path().filename());
    return names;
  }

  void ExpectOldStateKept() {
    EXPECT_EQ(Entries(), before_) << "a temporary file was left behind";
    if (fs::is_regular_file(target_)) {
      EXPECT_EQ(ReadFile(target_), kOldContent);
    }
    if (fs::is_directory(target_)) {
      EXPECT_EQ(ReadFile(target_ / "inside"), kOldContent);
    }
    EXPECT_FALSE(fs::exists(dir_ / "missing"));
  }

  fs::path dir_;
  fs::path target_;
  std::set<std::string> before_;
};

TEST_P(FailedWrite, PropertyFileSaveKeepsTheOldFile) {
  JsonPropertyBag bag;
  bag.Write("Caption", PropertyValue(std::string(4096, 'x')), PropertyValue(std::string("T")));
  bool failed = false;
  Run([&](const fs::path& target) {
    try {
      bag.Save(target);
    } catch (const RuntimeError& error) {
      failed = true;
      EXPECT_EQ(error.Number(), ErrorNumber::PathFileAccess);
      EXPECT_THAT(error.Description(), HasSubstr(target.string()));
    }
  });
  EXPECT_TRUE(failed);
  ExpectOldStateKept();
}

// A read whose raw-data file cannot be written reports the file error and
// leaves the old file and the records of the previous read as they were.
TEST_P(FailedWrite, RawDataFileOfAReadKeepsTheOldFile) {
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

  Run([&](const fs::path& target) {
    control.OutPutFileName(target.string());
    control.ReadTravimo();
  });

  EXPECT_THAT(container.ErrorNumbers(), ElementsAre(ErrorNumber::PathFileAccess));
  EXPECT_THAT(control.LastErrorDescription(), HasSubstr(target_.string()));
  ExpectOldStateKept();
  EXPECT_EQ(control.NumberOfScans(), 1);
  control.ScanNumber(1);
  EXPECT_EQ(control.OneScanDataArray(), earlier);
  EXPECT_FALSE(control.MSComm1().PortOpen());
  EXPECT_TRUE(control.fraButton().Enabled());
}

std::string SpoilName(const ::testing::TestParamInfo<Spoil>& info) {
  constexpr const char* kNames[] = {"DirectoryMissing", "DirectoryInPlace", "FileSizeLimit"};
  return kNames[static_cast<int>(info.param)];
}

INSTANTIATE_TEST_SUITE_P(SpoiledTarget, FailedWrite,
                         ::testing::Values(Spoil::DirectoryMissing, Spoil::DirectoryInPlace,
                                           Spoil::FileSizeLimit),
                         SpoilName);

}  // namespace
}  // namespace travimo::testing
