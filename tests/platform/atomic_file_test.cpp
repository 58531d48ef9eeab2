#include "platform/posix/atomic_file.h"

#include <fcntl.h>
#include <gmock/gmock.h>
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
#include <nlohmann/json.hpp>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include <travimo/model/error.h>
#include <travimo/platform/posix/json_property_bag.h>
#include <travimo/platform/posix/posix_file_system.h>
#include "platform/posix/regular_file.h"
#include "platform/posix/trace_file.h"
#include <travimo/platform/serial_trace.h>
#include "support/sample_records.h"
#include "support/scratch_dir.h"

namespace travimo::posix {
namespace {

namespace fs = std::filesystem;
using ::testing::ContainsRegex;
using travimo::testing::ContentOf;
using travimo::testing::Filled;

constexpr uid_t kOtherUser = 4242;
constexpr uid_t kDirectoryOwner = 4343;
constexpr int32_t kNotTried = -1;
constexpr int32_t kAccess = ErrorNumber::PathFileAccess;

// The number of a failed call, 0 when it succeeded; the description must name
// the file, and whatever else is given.
template <class Call, class... Also>
int32_t ErrorOf(const std::string& name, Call call, const Also&... also) {
  try {
    call();
  } catch (const RuntimeError& error) {
    for (const std::string& text : {name, std::string(also)...})
      EXPECT_NE(error.Description().find(text), std::string::npos) << error.Description();
    return error.Number();
  }
  return 0;
}

int32_t ReplaceError(const std::string& name, std::string_view text) {
  return ErrorOf(name, [&] { ReplaceFileContent(name, text); });
}

// Every way a file the user named gets written: one rule for all of them.
// The last leaves "{}\n", so a file written through shows it.
const std::pair<const char*, std::function<void(const std::string&)>> kWriters[] = {
    {"replace", [](const std::string& name) { ReplaceFileContent(name, "new"); }},
    {"trace", [](const std::string& name) { TraceFile file(name); }},
    {"check", [](const std::string& name) { CheckFileReplaceable(name); }},
    {"raw data", [](const std::string& name) { PosixFileSystem().ReplaceContent(name, {}); }},
    {"properties", [](const std::string& name) { JsonPropertyBag().Save(name); }},
};

void ExpectEveryWriter(const std::string& name, int32_t error) {
  for (const auto& [what, write] : kWriters)
    EXPECT_EQ(ErrorOf(name, [&] { write(name); }), error) << what << ": " << name;
}

struct AtomicFileTest : ::testing::Test {
  void TearDown() override {
    if (mounted_) ::umount2(dir_.Path().c_str(), MNT_DETACH);
  }
  std::vector<std::string> Entries() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_.Path()))
      names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }

  travimo::testing::ScratchDir dir_;
  bool mounted_ = false;
};

TEST_F(AtomicFileTest, ReplacesWithExactlyTheBytesAndModeAndReadsBackWithinALimit) {
  const std::string name = dir_ / "RawData.dat";
  PosixFileSystem files;
  files.ReplaceContent(name, std::span<const uint8_t>());
  EXPECT_EQ(std::pair(files.IsFile(name), files.IsFile(dir_.Path())), std::pair(true, false));
  ReplaceFileContent(name, std::string(5000, 'x'));
  EXPECT_EQ(ErrorOf(name, [&] { ReadRegularFile(name, 4999); }), kOutOfMemory);
  EXPECT_EQ(ReadRegularFile(name, 5000), std::string(5000, 'x'));
  const std::string bytes("S\r\0E\xff", 5);
  ReplaceFileContent(name, bytes);
  EXPECT_EQ(ContentOf(name), bytes) << "no tail of the longer old file";
  files.Delete(name);
  EXPECT_EQ(ErrorOf(name, [&] { files.Delete(name); }), kFileNotFound);

  // A new file follows the umask, as it may hold records; an old one keeps its mode.
  const mode_t previous = ::umask(077);
  ReplaceFileContent(name, "{}");
  ::umask(previous);
  EXPECT_EQ(fs::status(name).permissions(), fs::perms{0600});
  ::chmod(name.c_str(), 0640);
  JsonPropertyBag().Save(name);
  EXPECT_EQ(fs::status(name).permissions(), fs::perms{0640});
}

// Whatever is no regular file is refused by every writer and the reader and
// left as it was; a dangling link makes no file where it points. A character
// device is written as it is, never replaced by a file; so is one behind a
// descriptor's link, as /dev/stdout on a terminal.
TEST_F(AtomicFileTest, WhatIsNoRegularFileIsRefusedOrWrittenInPlace) {
  fs::create_directory(dir_.Path() / "sub");
  ASSERT_EQ(::mkfifo((dir_ / "fifo").c_str(), 0600), 0);  // would block a plain open
  fs::create_symlink(dir_.Path() / "nowhere.json", dir_.Path() / "dangling.json");
  const std::string null = travimo::testing::ScratchNullDevice(dir_.Path());
  ASSERT_FALSE(null.empty()) << "the test needs root to make a device node";
  const int device = ::open(null.c_str(), O_WRONLY);
  int pipeEnds[2];
  ASSERT_EQ(::pipe(pipeEnds), 0);
  const auto viaDescriptor = [](int fd) { return "/proc/self/fd/" + std::to_string(fd); };
  const struct {
    std::string name;
    int32_t writeError;
    int32_t readError;
  } cases[] = {
      {dir_ / "sub", kAccess, kAccess},
      {dir_ / "fifo", kAccess, kAccess},
      {dir_ / "missing/f.dat", kAccess, kFileNotFound},
      {dir_ / "dangling.json", kAccess, kFileNotFound},
      {null, 0, kAccess},
      {viaDescriptor(device), 0, kAccess},
      {viaDescriptor(pipeEnds[1]), kAccess, kNotTried},
      {"/dev/zero", kNotTried, kAccess},  // endless: read only
  };
  for (const auto& c : cases) {
    if (c.writeError != kNotTried) ExpectEveryWriter(c.name, c.writeError);
    if (c.readError != kNotTried) {
      EXPECT_EQ(ErrorOf(c.name, [&] { ReadRegularFile(c.name); }), c.readError) << c.name;
    }
  }
  EXPECT_EQ(ErrorOf(dir_ / "fifo", [&] { JsonPropertyBag::Load(dir_ / "fifo"); }), kAccess);
  for (const int fd : {device, pipeEnds[0], pipeEnds[1]}) ::close(fd);
  EXPECT_EQ(Entries(), (std::vector<std::string>{"dangling.json", "fifo", "null", "sub"}));
  EXPECT_TRUE(fs::is_character_file(null));
}

// Killed at any moment, a save leaves the old content or the new, whole; the
// next save clears its leftovers, but not another file's or those of a save
// still running, and predictable names taken do not stop it. A trace is
// written as the events happen, so a process killed part-way leaves every
// event before it; a second trace of the same file adds to it. A file size
// limit or a full disk keeps the old file.
TEST_F(AtomicFileTest, ASaveStoppedAnyWayLeavesAWholeFileAndAKilledTraceEveryEvent) {
  const std::string name = dir_ / "out.csv";
  const std::string a(256 * 1024, 'a');
  const std::string b(256 * 1024, 'b');
  ReplaceFileContent(name, a);
  for (int round = 0; round < 20; ++round) {
    const pid_t child = ::fork();
    if (child == 0) for (int n = 0;; ++n) ReplaceFileContent(name, n % 2 ? a : b);
    ASSERT_GT(child, 0);
    ::usleep(static_cast<useconds_t>(2000 + round * 1500));
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    const std::string content = ContentOf(name);
    ASSERT_TRUE(content == a || content == b) << "round " << round << ": " << content.size();
  }
  for (int n = 0; n < 100; ++n)  // every name a predictable save would try
    fs::create_directory(
        dir_ / (".out.csv.tmp-" + std::to_string(::getpid()) + "-" + std::to_string(n)));
  std::ofstream(dir_ / ".out.csv.travimo-Ab12Cd") << "a crash's leftover";
  std::ofstream(dir_ / ".Other.dat.travimo-Ab12Cd") << "another file's";
  std::ofstream(dir_ / ".out.csv.travimo-Zz99Yy") << "a save still running";
  const int running = ::open((dir_ / ".out.csv.travimo-Zz99Yy").c_str(), O_RDONLY);
  ASSERT_EQ(::flock(running, LOCK_EX), 0);
  ReplaceFileContent(name, "last");
  ::close(running);
  EXPECT_EQ(ContentOf(name), "last");
  std::vector<std::string> left = Entries();
  std::erase_if(left, [](const std::string& e) { return e.find(".tmp-") != std::string::npos; });
  EXPECT_EQ(left, (std::vector<std::string>{".Other.dat.travimo-Ab12Cd",
                                            ".out.csv.travimo-Zz99Yy", "out.csv"}));

  const std::string trace = dir_ / "serial.trace";
  if (::fork() == 0) {
    TraceFile file(trace);
    file.Record(trace_text::Bytes("write", std::vector<uint8_t>{'W'}));
    ::raise(SIGKILL);
  }
  int status = 0;
  ASSERT_TRUE(::wait(&status) > 0 && WIFSIGNALED(status));
  { TraceFile again(trace); }
  EXPECT_THAT(ContentOf(trace),
              ContainsRegex("trace started.*write 1 byte.*\\|W\\|.*trace started"));

  // An oversized write must fail, not end the process with SIGXFSZ.
  const pid_t child = ::fork();
  if (child == 0) {
    const rlimit limit{4096, 4096};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    ::_exit(ReplaceError(name, std::string(100000, 'x')) == kAccess ? 0 : 1);
  }
  ::waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  EXPECT_EQ(ContentOf(name), "last");

  if (::geteuid() != 0 || ::mount("tmpfs", dir_.Path().c_str(), "tmpfs", 0, "size=64k") != 0)
    GTEST_SKIP() << "a small file system needs root";
  mounted_ = true;
  ReplaceFileContent(name, "old");
  EXPECT_EQ(ReplaceError(name, std::string(1 << 20, 'x')), ErrorNumber::DiskFull);
  EXPECT_EQ(ContentOf(name), "old");
  EXPECT_EQ(Entries(), std::vector<std::string>{"out.csv"});
}

// The kernel's protected-symlinks rule, applied whatever the system's setting.
TEST_F(AtomicFileTest, SymbolicLinksAreFollowedOnlyWhereTheKernelWould) {
  if (::geteuid() != 0) GTEST_SKIP() << "links of other users need root";
  const fs::path home = dir_.Path();  // not sticky
  const fs::path shared = home / "shared";
  fs::create_directories(shared);
  ASSERT_EQ(::chmod(shared.c_str(), 01777), 0);
  ASSERT_EQ(::chown(shared.c_str(), kDirectoryOwner, kDirectoryOwner), 0);
  const fs::path victim = home / ".profile";

  const struct {
    const char* what;
    fs::path directory;
    uid_t linkOwner;
    bool writtenThrough;
  } cases[] = {
      {"another user's link in a sticky shared directory", shared, kOtherUser, false},
      {"our own link there", shared, 0, true},
      {"the directory owner's link there", shared, kDirectoryOwner, true},
      {"another user's link elsewhere", home, kOtherUser, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::ofstream(victim) << "old";
    const fs::path link = c.directory / "RawData.dat";
    fs::remove(link);
    fs::create_symlink(victim, link);
    ASSERT_EQ(::lchown(link.c_str(), c.linkOwner, c.linkOwner), 0);
    ExpectEveryWriter(link, c.writtenThrough ? 0 : kAccess);
    EXPECT_EQ(ContentOf(victim), c.writtenThrough ? "{}\n" : "old");
    EXPECT_TRUE(fs::is_symlink(link)) << "the link itself stays";
  }
}

// Equal content: SameValue compares records by identity.
bool SameContent(const PropertyValue& a, const PropertyValue& b) {
  if (a.index() != b.index()) return false;
  const auto same = [&](const auto& left) {
    const auto& right = std::get<std::decay_t<decltype(left)>>(b);
    if constexpr (requires { *left; }) {
      return left == right || (left && right && *left == *right);
    } else {
      return left == right;
    }
  };
  return std::visit(same, a);
}

TEST(JsonPropertyBagTest, AFileKeepsEveryKindOfValueAndUnknownKeysAndABadFileIsAClearError) {
  const testing::ScratchDir dir;
  const struct {
    const char* key;
    PropertyValue value;
    PropertyValue defaultValue;
  } cases[] = {
      {"SaveRawData", true, false},
      {"CommPort", int16_t{4}, int16_t{1}},
      {"ScanNumber", int32_t{-70000}, int32_t{1}},
      {"BackColor", static_cast<int32_t>(0x8000000Fu), int32_t{0}},
      {"Caption", std::string("Go \"fast\" \xC3\xA9"), std::string("Travimo")},
      {"CurrentScanDataType", std::string("Caf\xE9"), std::string("A")},  // not UTF-8
      {"Font", std::make_shared<StdFont>(StdFont{"Arial", 12.5, true, true, false, true, 700, 1}),
       std::monostate{}},
      {"Picture", std::make_shared<StdPicture>(StdPicture{"face.bmp"}), {}},
      {"MouseIcon", {}, std::make_shared<StdFont>()},  // none is null
      {"BrevaneData", std::make_shared<CBrevaneCls>(Filled<CBrevaneCls>()), {}},
  };
  JsonPropertyBag bag;
  for (const auto& c : cases) bag.Write(c.key, c.value, c.defaultValue);
  bag.Save(dir / "p.json");
  const std::string text = ContentOf(dir / "p.json");
  EXPECT_NE(text.find("\"Go \\\"fast\\\" \xC3\xA9\""), std::string::npos) << text;
  // The file reads naturally: dates carry their text as well as their value.
  EXPECT_NE(text.find("\"iso\": \"2024-02-29T13:45:"), std::string::npos);

  JsonPropertyBag loaded = JsonPropertyBag::Load(dir / "p.json");
  EXPECT_TRUE(loaded.Existed());
  for (const auto& c : cases)
    EXPECT_TRUE(SameContent(loaded.Read(c.key, c.defaultValue), c.value)) << c.key;
  // A missing file is an empty bag that gives the defaults.
  JsonPropertyBag absent = JsonPropertyBag::Load(dir / "absent.json");
  EXPECT_TRUE(!absent.Existed() && absent.Empty());
  EXPECT_TRUE(SameContent(absent.Read("Caption", std::string("Go")), std::string("Go")));
  // A malformed file is a clear error and is left as it was. A number beyond a
  // double's range once escaped as the JSON library's own exception.
  for (const std::string& text : std::initializer_list<std::string>{
           "{\"Caption\": \"Go\",", "[1, 2]", "", "42", "{\"A\": 1e400}", "{\"A\": -1e400}",
           "{\"A\": " + std::string(400, '6') + ".5}"}) {
    SCOPED_TRACE(text);
    std::ofstream(dir / "bad.json", std::ios::binary) << text;
    EXPECT_EQ(ErrorOf(dir / "bad.json", [&] { JsonPropertyBag::Load(dir / "bad.json"); }), kAccess);
    EXPECT_EQ(ContentOf(dir / "bad.json"), text);
  }

  // Another host or a newer version may have written keys this one does not
  // know: a save keeps them in their order, with one entry per key and none
  // for a value at its default.
  std::ofstream(dir / "form.json") << R"({"Device": "/dev/ttyUSB1", "Caption": "Old",
      "FromANewerVersion": {"nested": [1, "two", null]}, "RThreshold": 100})";
  JsonPropertyBag form = JsonPropertyBag::Load(dir / "form.json");
  form.Write("Caption", std::string("New"), std::string("Travimo"));
  form.Write("RThreshold", int16_t{0}, int16_t{0});  // drops the older value
  form.Write("BackColor", int32_t{0}, int32_t{0});
  EXPECT_FALSE(form.Contains("BackColor"));
  form.Write("BackColor", int32_t{255}, int32_t{0});
  form.Write("BackColor", int32_t{255}, int32_t{0});  // replaced in place
  form.Save(dir / "form.json");
  EXPECT_EQ(ContentOf(dir / "form.json"),
            nlohmann::ordered_json::parse(R"({"Device": "/dev/ttyUSB1", "Caption": "New",
                "FromANewerVersion": {"nested": [1, "two", null]}, "BackColor": 255})")
                    .dump(2) + "\n");
}

// A value is read as the kind of its default, or refused naming the key and
// the file: 13 for another kind, 6 beyond the range of the kind.
TEST(JsonPropertyBagTest, AValueIsReadAsItsDefaultsKindOrRefused) {
  constexpr int32_t kOverflow = ErrorNumber::Overflow;
  constexpr int32_t kMismatch = ErrorNumber::TypeMismatch;
  const auto arial = std::make_shared<StdFont>();
  arial->name = "Arial";
  const struct {
    std::string json;
    PropertyValue defaultValue;
    PropertyValue read;  // empty when refused
    int32_t error = 0;
    const char* mentions = "";
  } cases[] = {
      {"4", int16_t{1}, int16_t{4}},
      {"4", int32_t{1}, int32_t{4}},
      {"3.0", int32_t{1}, int32_t{3}},
      {"40000", int32_t{0}, int32_t{40000}},
      {"40000", int16_t{9096}, {}, kOverflow},
      {"3000000000", int32_t{0}, {}, kOverflow},
      {"1.5", int32_t{1}, {}, kMismatch},
      {"\"COM3\"", int16_t{1}, {}, kMismatch},
      {"[1]", {}, {}, kMismatch},
      {"1", true, {}, kMismatch},
      {R"({"name": "Arial"})", {}, arial},  // the rest of a hand-written font as by default
      {R"({"record": "Ostrel"})", LorvexPtr{}, {}, kMismatch},
      // A record's own refusals are the record reader's; the bag names the key and file.
      {R"({"record": "Brevane", "DateTime": {"value": 1e19}})", BrevanePtr{}, {}, kOverflow,
       "date range"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.json);
    JsonPropertyBag bag = JsonPropertyBag::FromText("{\"Key\": " + c.json + "}", "form.json");
    PropertyValue read;  // stays empty when refused
    const auto readKey = [&] { read = bag.Read("Key", c.defaultValue); };
    EXPECT_EQ(ErrorOf("form.json", readKey, "\"Key\"", c.mentions), c.error);
    EXPECT_TRUE(SameContent(read, c.read));
  }
}

}  // namespace
}  // namespace travimo::posix
