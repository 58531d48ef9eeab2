#include "platform/posix/atomic_file.h"
#include "support/scratch_device.h"

#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "model/error.h"
#include "platform/posix/json_property_bag.h"
#include "platform/posix/posix_file_system.h"
#include "platform/posix/regular_file.h"
#include "platform/posix/trace_file.h"

namespace travimo::posix {
namespace {

namespace fs = std::filesystem;

constexpr uid_t kOtherUser = 4242;
constexpr uid_t kDirectoryOwner = 4343;

std::string ContentOf(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

mode_t ModeOf(const fs::path& path) {
  struct stat info {};
  EXPECT_EQ(::stat(path.c_str(), &info), 0);
  return info.st_mode & 07777;
}

// The number of a failed call, 0 when it succeeded; the description must name the file.
template <class Call>
int32_t ErrorOf(const std::string& name, Call call) {
  try {
    call();
  } catch (const RuntimeError& error) {
    EXPECT_NE(error.Description().find(name), std::string::npos) << error.Description();
    return error.Number();
  }
  return 0;
}

int32_t ReplaceError(const std::string& name, std::string_view text) {
  return ErrorOf(name, [&] { ReplaceFileContent(name, text); });
}

class AtomicFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/travimo-atomic-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    dir_ = pattern;
  }
  void TearDown() override {
    if (mounted_) ::umount2(dir_.c_str(), MNT_DETACH);
    fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add);
    fs::remove_all(dir_);
  }
  std::vector<std::string> Entries() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }
  std::string In(const std::string& name) const { return (dir_ / name).string(); }

  fs::path dir_;
  bool mounted_ = false;
};

TEST_F(AtomicFileTest, ReplacesWithExactlyTheBytesAndLeavesNothingElse) {
  const std::string name = In("RawData.dat");
  PosixFileSystem files;
  files.ReplaceContent(name, std::span<const uint8_t>());
  ReplaceFileContent(name, std::string(5000, 'x'));
  const std::string bytes("S\r\0\xff" "E", 5);
  ReplaceFileContent(name, bytes);
  EXPECT_EQ(ContentOf(name), bytes) << "no tail of the longer old file";
  EXPECT_EQ(Entries(), std::vector<std::string>{"RawData.dat"});
}

TEST_F(AtomicFileTest, ANewFileFollowsTheUmaskAndAnOldOneKeepsItsMode) {
  const mode_t previous = ::umask(077);
  ReplaceFileContent(In("new.json"), "{}");
  ::umask(previous);
  EXPECT_EQ(ModeOf(In("new.json")), 0600u) << "it may hold the last read's records";

  ::chmod(In("new.json").c_str(), 0640);
  JsonPropertyBag().Save(In("new.json"));
  EXPECT_EQ(ModeOf(In("new.json")), 0640u);
}

TEST_F(AtomicFileTest, RefusesWhatIsNoFileAndKeepsTheOld) {
  fs::create_directory(In("sub"));
  ASSERT_EQ(::mkfifo(In("fifo").c_str(), 0600), 0);
  EXPECT_EQ(ReplaceError(In("sub"), "new"), ErrorNumber::PathFileAccess);
  EXPECT_EQ(ReplaceError(In("fifo"), "new"), ErrorNumber::PathFileAccess);
  EXPECT_EQ(ReplaceError(In("missing/f.dat"), "new"), ErrorNumber::PathFileAccess);
  EXPECT_EQ(ErrorOf(In("missing/f.dat"), [&] { CheckFileReplaceable(In("missing/f.dat")); }),
            ErrorNumber::PathFileAccess);
  EXPECT_EQ(Entries(), (std::vector<std::string>{"fifo", "sub"}));

  // A character device is written as it is, never replaced by a file; so is
  // one behind a descriptor's link, as /dev/stdout on a terminal.
  const std::string null = travimo::testing::ScratchNullDevice(dir_);
  ASSERT_FALSE(null.empty()) << "the test needs root to make a device node";
  const int device = ::open(null.c_str(), O_WRONLY);
  const std::string viaDescriptor = "/proc/self/fd/" + std::to_string(device);
  for (const std::string& name : {null, viaDescriptor}) {
    ReplaceFileContent(name, "bytes");
    CheckFileReplaceable(name);
  }
  ::close(device);
  struct stat info {};
  ASSERT_EQ(::stat(null.c_str(), &info), 0);
  EXPECT_TRUE(S_ISCHR(info.st_mode));
  int pipeEnds[2];
  ASSERT_EQ(::pipe(pipeEnds), 0);
  const std::string viaPipe = "/proc/self/fd/" + std::to_string(pipeEnds[1]);
  EXPECT_EQ(ReplaceError(viaPipe, "new"), ErrorNumber::PathFileAccess);
  ::close(pipeEnds[0]);
  ::close(pipeEnds[1]);
}

TEST_F(AtomicFileTest, PredictableAndLeftoverTemporariesDoNotGetInTheWay) {
  const std::string name = In("RawData.dat");
  for (int n = 0; n < 100; ++n)  // every name a predictable save would try
    fs::create_directory(In(".RawData.dat.tmp-" + std::to_string(::getpid()) + "-" +
                            std::to_string(n)));
  std::ofstream(In(".RawData.dat.travimo-Ab12Cd")) << "a crash's leftover";
  std::ofstream(In(".Other.dat.travimo-Ab12Cd")) << "another file's";
  std::ofstream(In(".RawData.dat.travimo-Zz99Yy")) << "a save still running";
  const int running = ::open(In(".RawData.dat.travimo-Zz99Yy").c_str(), O_RDONLY);
  ASSERT_EQ(::flock(running, LOCK_EX), 0);
  ReplaceFileContent(name, "new");
  ::close(running);
  EXPECT_EQ(ContentOf(name), "new");
  std::vector<std::string> left = Entries();
  std::erase_if(left, [](const std::string& e) { return e.find(".tmp-") != std::string::npos; });
  EXPECT_EQ(left, (std::vector<std::string>{".Other.dat.travimo-Ab12Cd",
                                            ".RawData.dat.travimo-Zz99Yy", "RawData.dat"}));
}

// Killed at any moment, a save leaves the old content or the new, whole.
TEST_F(AtomicFileTest, KillNineNeverLeavesAPartialFile) {
  const std::string name = In("out.csv");
  const std::string a(256 * 1024, 'a');
  const std::string b(256 * 1024, 'b');
  ReplaceFileContent(name, a);
  for (int round = 0; round < 20; ++round) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      for (int n = 0;; ++n) ReplaceFileContent(name, n % 2 ? a : b);
    }
    ::usleep(static_cast<useconds_t>(2000 + round * 1500));
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    const std::string content = ContentOf(name);
    ASSERT_TRUE(content == a || content == b) << "round " << round << ": " << content.size();
  }
  ReplaceFileContent(name, "last");
  EXPECT_EQ(Entries(), std::vector<std::string>{"out.csv"}) << "leftovers removed";
}

TEST_F(AtomicFileTest, AFullDiskOrAFileSizeLimitKeepsTheOldFile) {
  const std::string name = In("props.json");
  // An oversized write must fail, not end the process with SIGXFSZ.
  ReplaceFileContent(name, "old");
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    const rlimit limit{4096, 4096};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    ::_exit(ReplaceError(name, std::string(100000, 'x')) == ErrorNumber::PathFileAccess ? 0 : 1);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  EXPECT_EQ(ContentOf(name), "old");

  if (::geteuid() != 0 || ::mount("tmpfs", dir_.c_str(), "tmpfs", 0, "size=64k") != 0)
    GTEST_SKIP() << "a small file system needs root";
  mounted_ = true;
  ReplaceFileContent(name, "old");
  EXPECT_EQ(ReplaceError(name, std::string(1 << 20, 'x')), ErrorNumber::DiskFull);
  EXPECT_EQ(ContentOf(name), "old");
  EXPECT_EQ(Entries(), std::vector<std::string>{"props.json"});
}

// The kernel's protected-symlinks rule, applied whatever the system's setting.
TEST_F(AtomicFileTest, SymbolicLinksAreFollowedOnlyWhereTheKernelWould) {
  if (::geteuid() != 0) GTEST_SKIP() << "links of other users need root";
  const fs::path home = dir_ / "home";
  const fs::path shared = dir_ / "shared";
  fs::create_directories(home);
  fs::create_directories(shared);
  ASSERT_EQ(::chmod(shared.c_str(), 01777), 0);
  ASSERT_EQ(::chown(shared.c_str(), kDirectoryOwner, kDirectoryOwner), 0);
  const fs::path victim = home / ".profile";

  struct Case {
    const char* what;
    fs::path directory;
    uid_t linkOwner;
    bool writtenThrough;
  } const cases[] = {
      {"another user's link in a sticky shared directory", shared, kOtherUser, false},
      {"our own link there", shared, 0, true},
      {"the directory owner's link there", shared, kDirectoryOwner, true},
      {"another user's link elsewhere", home, kOtherUser, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::ofstream(victim) << "old";
    const fs::path link = c.directory / "RawData.dat";
    fs::remove(link);
    fs::create_symlink(victim, link);
    ASSERT_EQ(::lchown(link.c_str(), c.linkOwner, c.linkOwner), 0);

    const int32_t trace = ErrorOf(link.string(), [&] { TraceFile file(link.string()); });
    const int32_t raw = ErrorOf(link.string(), [&] {
      PosixFileSystem().ReplaceContent(link.string(), std::span<const uint8_t>());
    });
    const int32_t props = ErrorOf(link.string(), [&] { JsonPropertyBag().Save(link); });
    EXPECT_EQ(raw, c.writtenThrough ? 0 : ErrorNumber::PathFileAccess);
    EXPECT_EQ(props, raw);
    EXPECT_EQ(trace, raw);
    EXPECT_EQ(ContentOf(victim), c.writtenThrough ? "{}\n" : "old");
    EXPECT_TRUE(fs::is_symlink(link)) << "the link itself stays";
  }

  const fs::path dangling = home / "dangling.json";
  fs::create_symlink(home / "nowhere.json", dangling);
  EXPECT_EQ(ReplaceError(dangling.string(), "{}"), ErrorNumber::PathFileAccess);
  EXPECT_FALSE(fs::exists(home / "nowhere.json"));
}

TEST_F(AtomicFileTest, ReadingTakesOnlyRegularFilesOfBoundedSize) {
  fs::create_directory(In("sub"));
  ASSERT_EQ(::mkfifo(In("fifo").c_str(), 0600), 0);  // would block a plain open
  ReplaceFileContent(In("text"), std::string(5000, 't'));
  struct Case {
    std::string name;
    int32_t error;
  } const cases[] = {
      {In("fifo"), ErrorNumber::PathFileAccess}, {"/dev/zero", ErrorNumber::PathFileAccess},
      {In("sub"), ErrorNumber::PathFileAccess},  {In("missing"), kFileNotFound},
      {In("text"), 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ErrorOf(c.name, [&] { ReadRegularFile(c.name); }), c.error) << c.name;
  }
  EXPECT_EQ(ErrorOf(In("text"), [&] { ReadRegularFile(In("text"), 4999); }),
            kOutOfMemory);
  EXPECT_EQ(ReadRegularFile(In("text"), 5000), std::string(5000, 't'));
  EXPECT_EQ(ErrorOf(In("fifo"), [&] { JsonPropertyBag::Load(In("fifo")); }),
            ErrorNumber::PathFileAccess);
}

}  // namespace
}  // namespace travimo::posix
