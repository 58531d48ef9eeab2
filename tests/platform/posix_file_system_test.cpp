#include "platform/posix/posix_file_system.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "model/error.h"

namespace travimo::posix {
namespace {

namespace fs = std::filesystem;

std::span<const uint8_t> Bytes(const std::string& text) {
  return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

std::string ContentOf(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

class PosixFileSystemTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/travimo-fs-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
  }
  void TearDown() override {
    fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add);
    fs::remove_all(dir_);
  }
  int EntryCount() const {
    return static_cast<int>(std::distance(fs::directory_iterator(dir_), {}));
  }
  int32_t ReplaceError(const std::string& name, const std::string& text) {
    try {
      files_.ReplaceContent(name, Bytes(text));
    } catch (const RuntimeError& error) {
      EXPECT_NE(error.Description().find(name), std::string::npos) << error.Description();
      return error.Number();
    }
    return 0;
  }

  fs::path dir_;
  PosixFileSystem files_;
};

TEST_F(PosixFileSystemTest, ReplacesWithExactlyTheBytes) {
  const std::string name = (dir_ / "RawData.dat").string();
  files_.ReplaceContent(name, Bytes(std::string(5000, 'x')));
  const std::string bytes(
      "S\r\0\xff"
      "E",
      5);
  files_.ReplaceContent(name, Bytes(bytes));
  EXPECT_EQ(ContentOf(name), bytes) << "no tail of the longer old file";
  EXPECT_EQ(EntryCount(), 1);
  EXPECT_TRUE(files_.IsFile(name));
  files_.ReplaceContent(name, {});
  EXPECT_EQ(ContentOf(name), "");
}

TEST_F(PosixFileSystemTest, FailedReplaceKeepsTheOldFileAndNoTemporary) {
  const fs::path subdir = dir_ / "sub";
  fs::create_directory(subdir);
  EXPECT_EQ(ReplaceError(subdir.string(), "new"), ErrorNumber::PathFileAccess);
  EXPECT_TRUE(fs::is_directory(subdir));
  EXPECT_EQ(ReplaceError((dir_ / "missing" / "f.dat").string(), "new"),
            ErrorNumber::PathFileAccess);
  EXPECT_EQ(EntryCount(), 1) << "only the directory itself";

  const fs::path old = dir_ / "old.dat";
  std::ofstream(old) << "old content";
  fs::permissions(dir_, fs::perms::owner_read | fs::perms::owner_exec);
  if (geteuid() != 0) {  // root writes into read-only directories anyway
    EXPECT_EQ(ReplaceError(old.string(), "new"), ErrorNumber::PathFileAccess);
    EXPECT_EQ(ContentOf(old), "old content");
    EXPECT_EQ(EntryCount(), 2);
  }
}

TEST_F(PosixFileSystemTest, ReplacingThroughALinkWritesItsTarget) {
  const fs::path target = dir_ / "target.dat";
  std::ofstream(target) << "old";
  fs::create_symlink(target, dir_ / "link.dat");
  files_.ReplaceContent((dir_ / "link.dat").string(), Bytes("new"));
  EXPECT_TRUE(fs::is_symlink(dir_ / "link.dat"));
  EXPECT_EQ(ContentOf(target), "new");
}

TEST_F(PosixFileSystemTest, IsFileAndDelete) {
  const std::string name = (dir_ / "a.dat").string();
  EXPECT_FALSE(files_.IsFile(name));
  EXPECT_FALSE(files_.IsFile(dir_.string())) << "a directory is no file";
  std::ofstream(name) << "a";
  EXPECT_TRUE(files_.IsFile(name));
  files_.Delete(name);
  EXPECT_FALSE(files_.IsFile(name));
  EXPECT_THROW(files_.Delete(name), RuntimeError);
  files_.CloseAll();
}

}  // namespace
}  // namespace travimo::posix
